
#include "tools/pkgtool/Manifest.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/Names.h"
#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/XmlText.h"
#include "tools/pkgtool/ManifestElements.h"
#include "tools/pkgtool/XmlEntities.h"

using namespace manifest;

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
