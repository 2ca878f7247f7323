#include "tools/pkgtool/SetupLook.h"

#include "common/Text.h"
#include "package/PeResources.h"
#include "package/StringResource.h"
#include "package/VersionResource.h"
#include "platform/FileSystem.h"

namespace {

// An .ico larger than this is no icon a setup would carry (256 x 256 at 32 bits is 256 KiB).
constexpr std::size_t kMaxIconFile = 4u << 20;

bool refuse(ManifestError& error, int line, std::string cause) {
    error.line = line;
    error.cause = std::move(cause);
    return false;
}

std::u16string lastRecordText(const Manifest& manifest, ScriptCommand command) {
    for (std::size_t i = manifest.records.size(); i-- > 0;) {
        if (manifest.records[i].command == command) return manifest.records[i].text;
    }
    return {};
}

// The stub's own version resource, if it has one that reads.
pe::VersionInfo stubVersion(const std::vector<pe::Resource>& resources) {
    pe::VersionInfo info;
    std::string reason;
    for (const pe::Resource& r : resources) {
        if (!pe::sameId(r.type, pe::ResourceId::of(pe::kVersionType))) continue;
        if (!pe::readVersionResource(r.data, info, reason)) info = {};
        break;
    }
    return info;
}

// What is taken over from the stub is held to what a manifest may give for the same text: a
// stub's strings are bounded only by its resource, and theirs with the manifest's could pass
// the 16-bit lengths of the one written.
bool stubStringsFit(const pe::VersionInfo& stub, std::string& reason) {
    for (const char16_t* key : {u"FileDescription", u"OriginalFilename"}) {
        std::size_t length = pe::versionString(stub, key).size();
        if (length > kTextUnits - 1) {
            reason = "the stub's version resource has a " + utf16ToUtf8(key) + " of " +
                     std::to_string(length) + " characters; at most " +
                     std::to_string(kTextUnits - 1) + " are taken over";
            return false;
        }
    }
    return true;
}

bool setVersion(const Manifest& manifest, std::vector<pe::Resource>& resources,
                ManifestError& error) {
    const SetupLook& look = manifest.look;
    int line = manifest.identityLines.version ? manifest.identityLines.version
               : look.descriptionLine         ? look.descriptionLine
                                              : look.copyrightLine;
    if (line == 0) return true;
    pe::VersionInfo stub = stubVersion(resources);
    std::string reason;
    std::vector<std::uint8_t> data;
    if (!stubStringsFit(stub, reason) ||
        !pe::buildVersionResource(setupVersionOf(manifest, stub), data, reason)) {
        return refuse(error, line, reason);
    }
    pe::setResource(resources, pe::ResourceId::of(pe::kVersionType),
                    pe::ResourceId::of(pe::kVersionName), std::move(data));
    return true;
}

}  // namespace

bool readSetupIcon(const SetupLook& look, std::vector<pe::IconImage>& images, std::string& cause) {
    std::vector<std::uint8_t> bytes;
    std::string shown = utf16ToUtf8(look.icon);
    if (!platform::files().readFile(look.icon.c_str(), bytes)) {
        cause = "SetupIcon: cannot read \"" + shown + "\" (the path is relative to the manifest)";
        return false;
    }
    std::string reason;
    if (bytes.size() > kMaxIconFile) {
        reason = "the file is larger than 4 MiB";
    } else if (pe::readIconFile(bytes, images, reason)) {
        return true;
    }
    cause = "SetupIcon: \"" + shown + "\" is not a usable icon: " + reason +
            " (save it as an .ico file)";
    return false;
}

pe::VersionInfo setupVersionOf(const Manifest& manifest, const pe::VersionInfo& stub) {
    pe::VersionInfo info;
    std::u16string version = manifest.identity.version;
    pe::versionNumbers(version, info.fileVersion);
    info.productVersion = info.fileVersion;
    const SetupLook& look = manifest.look;
    std::u16string description = look.description;
    if (description.empty()) description = look.title;
    if (description.empty()) description = pe::versionString(stub, u"FileDescription");
    if (description.empty()) description = manifest.rootName + u" Setup";
    std::u16string original = pe::versionString(stub, u"OriginalFilename");
    if (original.empty()) original = u"setup.exe";
    auto add = [&](std::u16string key, std::u16string value) {
        info.strings.emplace_back(std::move(key), std::move(value));
    };
    add(u"CompanyName", lastRecordText(manifest, ScriptCommand::Company));
    add(u"FileDescription", description);
    add(u"FileVersion", version);
    if (!look.copyright.empty()) add(u"LegalCopyright", look.copyright);
    add(u"OriginalFilename", original);
    add(u"ProductName", manifest.rootName);
    add(u"ProductVersion", version);
    return info;
}

bool applySetupLook(const Manifest& manifest, std::vector<pe::Resource>& resources,
                    ManifestError& error) {
    const SetupLook& look = manifest.look;
    std::string reason;
    if (look.titleLine && !pe::setString(resources, kTitleString, look.title, reason)) {
        return refuse(error, look.titleLine, "SetupTitle: the stub's " + reason);
    }
    if (look.iconLine) {
        std::vector<pe::IconImage> images;
        if (!readSetupIcon(look, images, reason)) return refuse(error, look.iconLine, reason);
        if (!pe::setIcon(resources, pe::ResourceId::of(kSetupIcon), images, reason)) {
            return refuse(error, look.iconLine, "SetupIcon: the stub's " + reason);
        }
    }
    return setVersion(manifest, resources, error);
}
