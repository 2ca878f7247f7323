#include <tinyxml.h>

#include <string_view>

#include "common/Names.h"
#include "common/Text.h"
#include "tools/pkgtool/ManifestElements.h"

using namespace manifest;

namespace {

bool takeIdentityValue(const std::string& element, const std::u16string& value,
                       ProductIdentity& identity) {
    if (element == "SettingsKey") {
        return isSettingsKeyName(value) && copyText(identity.settingsKey, value);
    }
    if (element == "DataFolder")
        return isDataFolderName(value) && copyText(identity.dataFolder, value);
    return isVersionText(value) && copyText(identity.version, value);
}

std::u16string lastText(const Manifest& manifest, ScriptCommand command) {
    for (std::size_t i = manifest.records.size(); i-- > 0;) {
        if (manifest.records[i].command == command) return manifest.records[i].text;
    }
    return {};
}

}  // namespace

namespace manifest {

bool isIdentityElement(const TiXmlElement& element) {
    std::string_view name = element.Value();
    return name == "SettingsKey" || name == "DataFolder" || name == "Version";
}

bool readIdentityElement(const TiXmlElement& element, Manifest& manifest, ManifestError& error) {
    IdentityLines& lines = manifest.identityLines;
    std::string name = element.Value();
    const char* attributeName = name == "Version" ? "value" : "name";
    if (!checkAttributes(element, {attributeName}, {}, error) || !checkNoContent(element, error)) {
        return false;
    }
    int& line = name == "SettingsKey"  ? lines.settingsKey
                : name == "DataFolder" ? lines.dataFolder
                                       : lines.version;
    if (line) {
        return refuse(error, element.Row(),
                      name + ": given twice (first on line " + std::to_string(line) + ")");
    }
    line = element.Row();
    std::string value = element.Attribute(attributeName);
    if (takeIdentityValue(name, utf8ToUtf16(value), manifest.identity)) return true;
    const char* what =
        name == "SettingsKey"
            ? "is not a plain name of at most 250 characters without \".\" (the product's "
              "settings key, HKLM\\SOFTWARE\\NAME)"
        : name == "DataFolder"
            ? "is not a plain name (the product's data folder below the common documents folder)"
            : "is not one to four numbers from 0 to 65535 separated by dots";
    return refuse(error, element.Row(), name + ": " + attributeName + " \"" + value + "\" " + what);
}

}  // namespace manifest

// A settings key and data folder not given are named after the product: "Company Product" (the
// Product is the root folder's name; without a Company, that name alone), with every "." made
// "_" (the key's removal reads its name only up to a ".").
bool completeIdentity(Manifest& manifest, ManifestError& error) {
    const IdentityLines& lines = manifest.identityLines;
    if (!lines.version) copyText(manifest.identity.version, u"1.0");
    if (lines.settingsKey && lines.dataFolder) return true;
    std::u16string company = lastText(manifest, ScriptCommand::Company);
    std::u16string name = company.empty() ? manifest.rootName : company + u" " + manifest.rootName;
    for (char16_t& c : name) {
        if (c == u'.') c = u'_';
    }
    bool fits = (lines.settingsKey || takeIdentityValue("SettingsKey", name, manifest.identity)) &&
                (lines.dataFolder || takeIdentityValue("DataFolder", name, manifest.identity));
    if (fits) return true;
    return refuse(error, manifest.rootLine,
                  "the name \"" + utf16ToUtf8(name) +
                      "\" made from Company and Product is too long for the settings key or "
                      "data folder: give SettingsKey and DataFolder");
}
