#include "tools/pkgtool/LicenceFiles.h"

#include "platform/FileSystem.h"
#include "tools/pkgtool/LicenceText.h"
#include "tools/pkgtool/ToolText.h"

namespace {

Payload::File* payloadFile(Payload& payload, const std::u16string& path) {
    for (Payload::File& file : payload.files) {
        if (file.path == path) return &file;
    }
    return nullptr;
}
}  // namespace

bool convertLicences(const Manifest& manifest, Payload& payload, int& line, std::string& cause) {
    for (std::size_t i = 0; i < manifest.records.size(); ++i) {
        const ScriptRecord& record = manifest.records[i];
        if (record.command != ScriptCommand::Licence) continue;
        Payload::File* file = payloadFile(payload, record.path);
        // A path that names nothing is refused later, with the other records' paths.
        if (!file || file->converted) continue;
        std::vector<std::uint8_t> bytes;
        line = manifest.recordLines[i];
        if (!platform::files().readFile(file->full.c_str(), bytes)) {
            cause = "Licence: cannot read \"" + printable(file->full) + "\"";
            return false;
        }
        std::string why;
        if (!licenceTextOf(bytes, file->replacement, why)) {
            cause = "Licence: \"" + printable(record.path) + "\" " + why;
            return false;
        }
        file->converted = true;
    }
    return true;
}
