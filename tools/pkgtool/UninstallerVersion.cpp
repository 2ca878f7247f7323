#include "tools/pkgtool/UninstallerVersion.h"

#include <vector>

#include "common/Names.h"
#include "common/Text.h"
#include "package/PeResources.h"
#include "package/VersionResource.h"
#include "platform/FileSystem.h"
#include "tools/pkgtool/SetupLook.h"
#include "tools/pkgtool/ToolText.h"

namespace {

// An uninstaller larger than this is no program of these tools.
constexpr std::size_t kMaxUninstaller = 64u << 20;

int uninstallerRecord(const Manifest& manifest) {
    for (std::size_t i = manifest.records.size(); i-- > 0;) {
        if (manifest.records[i].command == ScriptCommand::Uninstaller) return int(i);
    }
    return -1;
}

Payload::File* payloadFile(Payload& payload, const std::u16string& path) {
    for (Payload::File& file : payload.files) {
        if (sameIgnoringAsciiCase(file.path, path)) return &file;
    }
    return nullptr;
}

const pe::Resource* versionOf(const std::vector<pe::Resource>& resources) {
    for (const pe::Resource& r : resources) {
        if (pe::sameId(r.type, pe::ResourceId::of(pe::kVersionType))) return &r;
    }
    return nullptr;
}

}  // namespace

bool stampUninstaller(const Manifest& manifest, Payload& payload, int& line, std::string& cause) {
    int record = uninstallerRecord(manifest);
    if (!manifest.identityLines.version || record < 0) return true;
    Payload::File* file = payloadFile(payload, manifest.records[std::size_t(record)].path);
    if (!file || file->converted || file->size > kMaxUninstaller) return true;
    std::vector<std::uint8_t> program;
    std::vector<pe::Resource> resources;
    std::string reason;
    if (!platform::files().readFile(file->full.c_str(), program, kMaxUninstaller) ||
        !pe::readResources(program, resources, reason)) {
        return true;
    }
    const pe::Resource* own = versionOf(resources);
    pe::VersionInfo stub;
    if (!own || !pe::readVersionResource(own->data, stub, reason)) return true;
    pe::VersionInfo info = setupVersionOf(manifest, stub);
    // Its own description: it is the product's uninstaller, not its setup.
    std::u16string description = pe::versionString(stub, u"FileDescription");
    for (auto& [key, value] : info.strings) {
        if (key == u"FileDescription" && !description.empty()) value = description;
    }
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> stamped;
    bool built = pe::buildVersionResource(info, data, reason);
    if (built) {
        pe::setResource(resources, pe::ResourceId::of(pe::kVersionType),
                        pe::ResourceId::of(pe::kVersionName), std::move(data));
    }
    if (!built || !pe::rewriteResources(program, resources, stamped, reason)) {
        line = manifest.recordLines[std::size_t(record)];
        cause = "Uninstaller: \"" + printable(file->path) +
                "\" cannot take the product's version: " + reason;
        return false;
    }
    file->converted = true;
    file->replacement = std::move(stamped);
    return true;
}
