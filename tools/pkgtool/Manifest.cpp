#include "tools/pkgtool/Manifest.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/Names.h"
#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/XmlText.h"
#include "tools/pkgtool/XmlEntities.h"

namespace {

struct ElementSpec {
    const char* name;
    ScriptCommand command;
    std::vector<const char*> required;
    std::vector<const char*> optional;
};

const std::vector<ElementSpec>& elementSpecs() {
    using C = ScriptCommand;
    static const std::vector<ElementSpec> specs = {
        {"Company", C::Company, {"name"}, {}},
        {"Product", C::Product, {"name"}, {}},
        {"MainApp", C::MainApp, {"path"}, {}},
        {"ExtraProgram", C::ExtraProgram, {"path"}, {}},
        {"Uninstaller", C::Uninstaller, {"path"}, {}},
        {"LaunchAfterInstall", C::LaunchAfterInstall, {"path"}, {}},
        {"RunEntry", C::RunEntry, {"path"}, {}},
        {"StartMenuShortcut", C::StartMenuShortcut, {"path", "name"}, {}},
        {"DesktopMenuEntry", C::DesktopMenuEntry, {"path", "name"}, {}},
        {"SystemFile", C::SystemFile, {"path"}, {}},
        {"DesktopShortcut", C::DesktopShortcut, {"path", "name"}, {}},
        {"Service", C::Service, {"path"}, {"description"}},
        {"DriverScripts",
         C::DriverScripts,
         {},
         {"installX86", "installX64", "uninstallX86", "uninstallX64"}},
        {"Licence", C::Licence, {"language", "path"}, {}},
    };
    return specs;
}

const char* const kDriverSlots[] = {"installX86", "installX64", "uninstallX86", "uninstallX64"};

bool refuse(ManifestError& error, int line, std::string cause) {
    error.line = line;
    error.cause = std::move(cause);
    return false;
}

bool listed(const std::vector<const char*>& names, const char* name) {
    for (const char* n : names) {
        if (std::strcmp(n, name) == 0) return true;
    }
    return false;
}

// Only the element's known attributes, each required one present: a misspelt one would
// otherwise be ignored silently.
bool checkAttributes(const TiXmlElement& element, const std::vector<const char*>& required,
                     const std::vector<const char*>& optional, ManifestError& error) {
    for (const TiXmlAttribute* a = element.FirstAttribute(); a; a = a->Next()) {
        if (!listed(required, a->Name()) && !listed(optional, a->Name())) {
            return refuse(
                error, a->Row(),
                std::string(element.Value()) + ": unknown attribute \"" + a->Name() + "\"");
        }
    }
    for (const char* name : required) {
        if (!element.Attribute(name)) {
            return refuse(error, element.Row(),
                          std::string(element.Value()) + ": missing attribute \"" + name + "\"");
        }
    }
    return true;
}

// Records hold attributes only; comments may sit anywhere.
bool checkNoContent(const TiXmlElement& element, ManifestError& error) {
    for (const TiXmlNode* child = element.FirstChild(); child; child = child->NextSibling()) {
        if (child->ToComment()) continue;
        if (const TiXmlElement* inner = child->ToElement()) {
            return refuse(error, inner->Row(),
                          std::string("unknown element \"") + inner->Value() + "\" inside " +
                              element.Value());
        }
        return refuse(error, child->Row(),
                      std::string(element.Value()) + ": unexpected text inside the element");
    }
    return true;
}

std::u16string attribute(const TiXmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value ? utf8ToUtf16(value) : std::u16string();
}

bool readLanguage(const TiXmlElement& element, std::uint8_t& language, ManifestError& error) {
    std::string text = element.Attribute("language");
    if (text.size() != 1 || text[0] < '0' || text[0] > '4') {
        return refuse(error, element.Row(),
                      "Licence: language \"" + text + "\" is not one of 0, 1, 2, 3, 4");
    }
    language = std::uint8_t(text[0] - '0');
    return true;
}

// Company and Product name installation and start-menu folders, shortcut names become file
// names and menu names registry keys: each must be one name Windows takes as written.
bool checkPlainName(const TiXmlElement& element, const char* attributeName, ManifestError& error) {
    const char* value = element.Attribute(attributeName);
    if (!value || isPlainName(utf8ToUtf16(value))) return true;
    return refuse(error, element.Row(),
                  std::string(element.Value()) + ": " + attributeName + " \"" + value +
                      "\" is not a plain name (no \\ / : * ? \" < > |, control character, "
                      "\".\" or \"..\", trailing dot or space)");
}

bool readRecord(const TiXmlElement& element, Manifest& manifest, ManifestError& error) {
    const ElementSpec* spec = nullptr;
    for (const ElementSpec& s : elementSpecs()) {
        if (std::strcmp(s.name, element.Value()) == 0) spec = &s;
    }
    if (!spec) {
        return refuse(error, element.Row(),
                      std::string("unknown element \"") + element.Value() + "\"");
    }
    if (!checkAttributes(element, spec->required, spec->optional, error) ||
        !checkNoContent(element, error) || !checkPlainName(element, "name", error)) {
        return false;
    }
    ScriptRecord record;
    record.command = spec->command;
    if (spec->command == ScriptCommand::Company || spec->command == ScriptCommand::Product) {
        record.text = attribute(element, "name");
    } else {
        record.path = attribute(element, "path");
        record.name = attribute(element, "name");
    }
    if (element.Attribute("description")) record.description = attribute(element, "description");
    for (int i = 0; i < 4; ++i) {
        if (element.Attribute(kDriverSlots[i])) {
            record.driverScripts[i] = attribute(element, kDriverSlots[i]);
        }
    }
    if (spec->command == ScriptCommand::Licence && !readLanguage(element, record.language, error)) {
        return false;
    }
    manifest.records.push_back(std::move(record));
    manifest.recordLines.push_back(element.Row());
    manifest.recordElements.push_back(spec->name);
    return true;
}

bool isAbsolute(std::u16string_view path) {
    return (!path.empty() && path[0] == u'\\') || (path.size() >= 2 && path[1] == u':');
}

// The payload folder is relative to the manifest's own folder.
std::u16string payloadFolderOf(const std::u16string& manifestPath, std::u16string payload) {
    for (char16_t& c : payload) {
        if (c == u'/') c = u'\\';
    }
    if (isAbsolute(payload)) return payload;
    std::size_t cut = manifestPath.rfind(u'\\');
    if (cut == std::u16string::npos) return payload;
    return manifestPath.substr(0, cut + 1) + payload;
}

// The installation folder is named after the Product, the package's root folder after the root
// attribute; the two must be one name, or what an installation of the package records and where
// it looks for an earlier one would part ways. The last Product record is the one in force.
bool checkProductIsRoot(const Manifest& manifest, ManifestError& error) {
    for (std::size_t i = manifest.records.size(); i-- > 0;) {
        const ScriptRecord& record = manifest.records[i];
        if (record.command != ScriptCommand::Product) continue;
        if (record.text == manifest.rootName) return true;
        return refuse(error, manifest.recordLines[i],
                      "Product: name \"" + utf16ToUtf8(record.text) +
                          "\" is not the root folder name \"" + utf16ToUtf8(manifest.rootName) +
                          "\"");
    }
    return true;
}

// Without a Company and a Product the installation folder (Program Files\Company\Product) has
// no name, and every install of the package would end in an error: refused while it is cheap.
bool checkRequiredRecords(const Manifest& manifest, ManifestError& error) {
    for (ScriptCommand command : {ScriptCommand::Company, ScriptCommand::Product}) {
        bool given = false;
        for (const ScriptRecord& record : manifest.records) given |= record.command == command;
        if (given) continue;
        bool company = command == ScriptCommand::Company;
        std::string example = company
                                  ? "<Company name=\"YOUR COMPANY\"/>"
                                  : "<Product name=\"" + utf16ToUtf8(manifest.rootName) + "\"/>";
        return refuse(error, manifest.rootLine,
                      std::string(company ? "Company" : "Product") + ": missing: add " + example +
                          " inside InstallerPackage (the installation folder is named "
                          "Company\\Product)");
    }
    return true;
}

bool isIdentityElement(const TiXmlElement& element) {
    std::string_view name = element.Value();
    return name == "SettingsKey" || name == "DataFolder" || name == "Version";
}

bool takeIdentityValue(const std::string& element, const std::u16string& value,
                       ProductIdentity& identity) {
    if (element == "SettingsKey") {
        return isSettingsKeyName(value) && copyText(identity.settingsKey, value);
    }
    if (element == "DataFolder")
        return isDataFolderName(value) && copyText(identity.dataFolder, value);
    return isVersionText(value) && copyText(identity.version, value);
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

bool isSetupLookElement(const TiXmlElement& element) {
    std::string_view name = element.Value();
    return name == "SetupTitle" || name == "SetupIcon" || name == "FileDescription" ||
           name == "Copyright";
}

bool hasControlCharacter(std::u16string_view text) {
    for (char16_t c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return false;
}

// A text shown by Windows as it is given: not empty, one line, short enough for its buffer.
bool checkLookText(const TiXmlElement& element, const std::u16string& text, std::size_t limit,
                   ManifestError& error) {
    std::string name = element.Value();
    if (hasControlCharacter(text)) {
        // Not echoed: the refusal stays one line.
        return refuse(error, element.Row(),
                      name +
                          ": text holds a line break or another control character (give "
                          "one line of text)");
    }
    if (!text.empty() && text.size() <= limit) return true;
    return refuse(error, element.Row(),
                  name + ": text \"" + element.Attribute("text") + "\" is not 1 to " +
                      std::to_string(limit) + " characters");
}

bool readSetupLookElement(const TiXmlElement& element, const std::u16string& manifestPath,
                          Manifest& manifest, ManifestError& error) {
    SetupLook& look = manifest.look;
    std::string name = element.Value();
    bool icon = name == "SetupIcon";
    const char* attributeName = icon ? "path" : "text";
    if (!checkAttributes(element, {attributeName}, {}, error) || !checkNoContent(element, error)) {
        return false;
    }
    int& line = name == "SetupTitle"  ? look.titleLine
                : icon                ? look.iconLine
                : name == "Copyright" ? look.copyrightLine
                                      : look.descriptionLine;
    if (line) {
        return refuse(error, element.Row(),
                      name + ": given twice (first on line " + std::to_string(line) + ")");
    }
    line = element.Row();
    std::u16string value = attribute(element, attributeName);
    if (icon) {
        if (value.empty()) {
            return refuse(error, element.Row(),
                          "SetupIcon: path is empty (name an .ico file, relative to the manifest)");
        }
        look.icon = payloadFolderOf(manifestPath, value);
        return true;
    }
    std::u16string& into = name == "SetupTitle"  ? look.title
                           : name == "Copyright" ? look.copyright
                                                 : look.description;
    into = value;
    return checkLookText(element, value, name == "SetupTitle" ? kMaxSetupTitle : kMaxSetupText,
                         error);
}

std::u16string lastText(const Manifest& manifest, ScriptCommand command) {
    for (std::size_t i = manifest.records.size(); i-- > 0;) {
        if (manifest.records[i].command == command) return manifest.records[i].text;
    }
    return {};
}

// A settings key and data folder not given are named after the product: "Company Product" (the
// Product is the root folder's name; without a Company, that name alone), with every "." made
// "_" (the key's removal reads its name only up to a ".").
}  // namespace

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

namespace {

// The product's touch devices. Ids are written as USB tools and Windows show them: "0x" and one
// to four hexadecimal digits.
bool isTouchDeviceElement(const TiXmlElement& element) {
    return std::string_view(element.Value()) == "TouchDevice";
}

bool readHexId(std::string_view text, std::uint16_t& id) {
    if (text.size() < 3 || text.size() > 6 || text[0] != '0' ||
        (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    unsigned value = 0;
    for (char c : text.substr(2)) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) return false;
        value = value << 4 | unsigned(digit);
    }
    id = std::uint16_t(value);
    return true;
}

std::string hexText(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(id));
    return text;
}

bool readTouchVendor(const TiXmlElement& element, TouchDeviceIds& ids, ManifestError& error) {
    std::string text = element.Attribute("vendor");
    if (readHexId(text, ids.vendor) && ids.vendor != 0) return true;
    return refuse(error, element.Row(),
                  "TouchDevice: vendor \"" + text +
                      "\" is not a USB vendor id: write it in hexadecimal from 0x0001 to 0xFFFF, "
                      "as vendor=\"0xAAEC\"");
}

bool addTouchProduct(const TiXmlElement& element, const std::string& word, TouchDeviceIds& ids,
                     ManifestError& error) {
    std::uint16_t id = 0;
    if (!readHexId(word, id)) {
        return refuse(error, element.Row(),
                      "TouchDevice: product id \"" + word +
                          "\" is not a USB product id: write each in hexadecimal from 0x0000 to "
                          "0xFFFF, separated by spaces, as products=\"0x0001 0x0002\"");
    }
    for (std::size_t i = 0; i < ids.productCount; ++i) {
        if (ids.products[i] == id) {
            return refuse(
                error, element.Row(),
                "TouchDevice: product id " + hexText(id) + " is listed twice: list it once");
        }
    }
    if (ids.productCount == kMaxTouchProducts) {
        return refuse(error, element.Row(),
                      "TouchDevice: more than " + std::to_string(kMaxTouchProducts) +
                          " product ids: leave products out to take every product of the vendor");
    }
    ids.products[ids.productCount++] = id;
    return true;
}

bool readTouchProducts(const TiXmlElement& element, TouchDeviceIds& ids, ManifestError& error) {
    const char* list = element.Attribute("products");
    if (!list) return true;
    std::string text = list, word;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        bool space = at == text.size() || text[at] == ' ' || text[at] == '\t';
        if (!space) {
            word.push_back(text[at]);
        } else if (!word.empty()) {
            if (!addTouchProduct(element, word, ids, error)) return false;
            word.clear();
        }
    }
    if (ids.productCount > 0) return true;
    return refuse(error, element.Row(),
                  "TouchDevice: products is empty: leave it out to take every product of the "
                  "vendor, or list ids as products=\"0x0001 0x0002\"");
}

bool readTouchDeviceElement(const TiXmlElement& element, Manifest& manifest, ManifestError& error) {
    int& line = manifest.identityLines.touchDevice;
    if (!checkAttributes(element, {"vendor"}, {"products"}, error) ||
        !checkNoContent(element, error)) {
        return false;
    }
    if (line) {
        return refuse(error, element.Row(),
                      "TouchDevice: given twice (first on line " + std::to_string(line) +
                          "): name one vendor and list its product ids in products");
    }
    line = element.Row();
    TouchDeviceIds ids;
    if (!readTouchVendor(element, ids, error) || !readTouchProducts(element, ids, error)) {
        return false;
    }
    manifest.identity.touch = ids;
    return true;
}

bool readManifestElement(const TiXmlElement& element, const std::u16string& path,
                         Manifest& manifest, ManifestError& error) {
    if (isTouchDeviceElement(element)) return readTouchDeviceElement(element, manifest, error);
    if (isIdentityElement(element)) return readIdentityElement(element, manifest, error);
    if (isSetupLookElement(element)) return readSetupLookElement(element, path, manifest, error);
    return readRecord(element, manifest, error);
}

bool readRoot(const TiXmlElement& root, const std::u16string& path, Manifest& manifest,
              ManifestError& error) {
    if (std::strcmp(root.Value(), "InstallerPackage") != 0) {
        return refuse(
            error, root.Row(),
            std::string("the root element is \"") + root.Value() + "\", not \"InstallerPackage\"");
    }
    if (!checkAttributes(root, {"root", "payload"}, {}, error) ||
        !checkPlainName(root, "root", error)) {
        return false;
    }
    manifest.rootName = attribute(root, "root");
    manifest.payloadFolder = payloadFolderOf(path, attribute(root, "payload"));
    manifest.rootLine = root.Row();
    for (const TiXmlNode* child = root.FirstChild(); child; child = child->NextSibling()) {
        if (child->ToComment()) continue;
        const TiXmlElement* element = child->ToElement();
        if (!element) {
            return refuse(error, child->Row(), "InstallerPackage: unexpected text between records");
        }
        if (!readManifestElement(*element, path, manifest, error)) return false;
    }
    return checkRequiredRecords(manifest, error) && checkProductIsRoot(manifest, error);
}

}  // namespace

bool parseManifest(const std::vector<std::uint8_t>& bytes, const std::u16string& path,
                   Manifest& manifest, ManifestError& error) {
    manifest = Manifest{};
    std::string text(bytes.begin(), bytes.end());
    int line = 0;
    std::string cause;
    if (!platform::xmlTextWithinLimits(text, platform::kManifestXmlLimits, cause)) {
        return refuse(error, 0, "the manifest " + cause);
    }
    if (findUndefinedEntity(text, line, cause)) return refuse(error, line, cause);
    TiXmlDocument document;
    if (!platform::parseXmlText(text, TIXML_ENCODING_UTF8, document, platform::kManifestXmlLimits,
                                cause)) {
        if (!cause.empty()) return refuse(error, 0, "the manifest " + cause);
        return refuse(error, document.ErrorRow(),
                      std::string("not well-formed XML: ") + document.ErrorDesc());
    }
    const TiXmlElement* root = document.RootElement();
    if (!root) return refuse(error, 0, "no root element");
    for (const TiXmlNode* n = root->NextSibling(); n; n = n->NextSibling()) {
        if (n->ToElement()) {
            return refuse(error, n->Row(),
                          std::string("unknown element \"") + n->Value() + "\" after the root");
        }
    }
    return readRoot(*root, path, manifest, error);
}

bool readManifest(const std::u16string& path, Manifest& manifest, ManifestError& error) {
    manifest = Manifest{};
    std::vector<std::uint8_t> bytes;
    // A file over the bound is refused before anything of it is read.
    if (!platform::files().readFile(path.c_str(), bytes, platform::kManifestXmlLimits.bytes)) {
        return refuse(error, 0,
                      "cannot read the manifest, or it is larger than " +
                          std::to_string(platform::kManifestXmlLimits.bytes) + " bytes");
    }
    return parseManifest(bytes, path, manifest, error);
}
