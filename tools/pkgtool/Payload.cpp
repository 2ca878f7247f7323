#include "tools/pkgtool/Payload.h"

#include "common/Names.h"
#include "platform/FileSystem.h"
#include "tools/pkgtool/MappedFile.h"
#include "tools/pkgtool/ToolText.h"

namespace {

bool readFolder(const std::u16string& base, const std::u16string& relative, Payload& payload,
                std::string& cause) {
    std::u16string folder = relative.empty() ? base : base + u"\\" + relative;
    std::vector<platform::DirEntry> entries;
    if (!platform::files().listFolder(folder.c_str(), entries)) {
        cause = "cannot list the payload folder \"" + printable(folder) + "\"";
        return false;
    }
    for (const platform::DirEntry& entry : entries) {
        if (entry.name == u"." || entry.name == u"..") continue;
        std::u16string path = relative.empty() ? entry.name : relative + u"\\" + entry.name;
        if (!isPlainName(entry.name)) {
            cause = "the payload name \"" + printable(path) +
                    "\" is not a plain name (no \\ / : * ? \" < > |, control character, "
                    "trailing dot or space)";
            return false;
        }
        if (entry.isDirectory) {
            payload.folders.push_back(path);
            if (!readFolder(base, path, payload, cause)) return false;
            continue;
        }
        std::u16string full = base + u"\\" + path;
        MappedFile mapped;
        if (!mapped.map(full)) {
            cause = "cannot read the payload file \"" + printable(full) + "\"";
            return false;
        }
        payload.files.push_back(Payload::File{path, full, mapped.size()});
    }
    return true;
}

}  // namespace

bool readPayload(const std::u16string& folder, Payload& payload, std::string& cause) {
    payload = Payload{};
    if (!platform::files().exists(folder.c_str())) {
        cause = "the payload folder \"" + printable(folder) + "\" does not exist";
        return false;
    }
    return readFolder(folder, u"", payload, cause);
}

PackageInput packageInputOf(const std::u16string& rootName, const Payload& payload,
                            const std::vector<ScriptRecord>& records) {
    PackageInput input;
    input.rootName = rootName;
    for (const Payload::File& file : payload.files) {
        if (file.converted) {
            input.files.push_back(PackageFile{file.path, file.replacement, 0, nullptr});
            continue;
        }
        PackageFile packaged{file.path, {}, file.size, nullptr};
        std::u16string full = file.full;
        packaged.source = [full](ByteSink& sink) {
            MappedFile mapped;
            return mapped.map(full) && mapped.appendTo(sink, mapped.data(), mapped.size());
        };
        input.files.push_back(std::move(packaged));
    }
    input.folders = payload.folders;
    input.records = records;
    return input;
}
