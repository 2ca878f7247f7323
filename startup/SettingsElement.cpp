#include "startup/SettingsElement.h"

#include <tinyxml.h>

#include <cstring>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Utf8Codepage.h"
#include "platform/XmlText.h"
#include "startup/SettingsValues.h"

namespace {

const char* yesNo(bool value) {
    return value ? "Yes" : "No";
}
const char* agreement(bool value) {
    return value ? "Agree" : "Disagree";
}

// An unknown default folder (or one the code page cannot hold) is left out rather than written
// as a wrong or empty path; the next run tries again.
bool addPath(TiXmlElement& element, const UnattendedSettings& record, bool utf8) {
    std::string path;
    if (record.installBase[0] == u'\0' || !narrowPath(record.installBase, path, utf8)) {
        return false;
    }
    element.SetAttribute("Path", path.c_str());
    return true;
}

bool namesUtf8(const char* encoding) {
    std::string folded;
    for (const char* c = encoding; *c; ++c) {
        folded.push_back(*c >= 'a' && *c <= 'z' ? char(*c - 'a' + 'A') : *c);
    }
    return folded == "UTF-8" || folded == "UTF8";
}

}  // namespace

bool declaresUtf8(const TiXmlDocument& doc) {
    const TiXmlNode* first = doc.FirstChild();
    const TiXmlDeclaration* declaration = first ? first->ToDeclaration() : nullptr;
    if (declaration && namesUtf8(declaration->Encoding())) return true;
    // The library keeps the byte-order mark to itself but prints it again.
    std::string printed;
    return platform::printXml(doc, printed) && printed.rfind("\xEF\xBB\xBF", 0) == 0;
}

bool readsAsUtf8(const TiXmlDocument& doc) {
    if (declaresUtf8(doc)) return true;
    std::string printed;
    std::u16string wide;
    platform::Utf8Codepage utf8;
    bool high = false;
    if (!platform::printXml(doc, printed)) return false;
    for (char c : printed) high |= static_cast<unsigned char>(c) > 0x7F;
    return high && utf8.widen(printed, wide);
}

void setDefaultSettings(UnattendedSettings& record) {
    record.language = 1033;
    record.licenceAgreed = false;
    record.showPanel = false;
    record.hidMode = 1;
    record.installBase[0] = u'\0';
    std::u16string folder;
    if (platform::files().specialFolder(platform::SpecialFolder::ProgramFiles, folder)) {
        copyText(record.installBase, folder);
    }
}

bool completeElement(TiXmlElement& element, UnattendedSettings& record, bool utf8) {
    bool changed = false;
    if (const char* lang = element.Attribute("Lang")) {
        record.language = languageFromName(lang);
    } else {
        element.SetAttribute("Lang", "English");
        changed = true;
    }
    if (const char* licence = element.Attribute("EndUserLicense")) {
        record.licenceAgreed = std::strcmp(licence, "Agree") == 0;
    } else {
        element.SetAttribute("EndUserLicense", agreement(record.licenceAgreed));
        changed = true;
    }
    if (const char* panel = element.Attribute("ShowPanel")) {
        record.showPanel = std::strcmp(panel, "Yes") == 0;
    } else {
        element.SetAttribute("ShowPanel", yesNo(record.showPanel));
        changed = true;
    }
    const char* hid = element.Attribute("HID");
    if (!hid || !readDecimal(hid, record.hidMode)) {
        element.SetAttribute("HID", record.hidMode);
        changed = true;
    }
    // Optional: a file without it is complete as it stands.
    if (const char* noDevice = element.Attribute("NoDevice")) {
        record.noDevice = std::strcmp(noDevice, "Yes") == 0;
    }
    if (const char* path = element.Attribute("Path")) {
        record.pathUnusable = !widenPath(path, record.installBase, utf8);
    } else if (addPath(element, record, utf8)) {
        changed = true;
    }
    if (const char* endpoint = element.Attribute("Endpoint")) {
        record.hasEndpoint = parseEndpoint(utf8ToUtf16(endpoint), record.endpoint);
        record.endpointUnusable = !record.hasEndpoint;
    }
    return changed;
}

void appendDefaultElement(TiXmlDocument& doc, const UnattendedSettings& record, bool utf8) {
    TiXmlElement element(kSettingsElement);
    element.SetAttribute("Lang", "English");
    element.SetAttribute("EndUserLicense", agreement(record.licenceAgreed));
    element.SetAttribute("ShowPanel", yesNo(record.showPanel));
    element.SetAttribute("HID", record.hidMode);
    addPath(element, record, utf8);
    doc.InsertEndChild(element);
}
