#include "startup/Settings.h"

#include <tinyxml.h>

#include <cstring>
#include <string>

#include "platform/XmlFiles.h"
#include "platform/XmlText.h"
#include "startup/SettingsElement.h"

std::unique_ptr<UnattendedSettings> settings;

namespace {

bool sameRecord(const UnattendedSettings& a, const UnattendedSettings& b) {
    return a.language == b.language && a.licenceAgreed == b.licenceAgreed &&
           a.showPanel == b.showPanel && a.hidMode == b.hidMode &&
           textEquals(a.installBase, b.installBase);
}

bool sameAttributes(const TiXmlElement& a, const TiXmlElement& b) {
    const TiXmlAttribute* x = a.FirstAttribute();
    const TiXmlAttribute* y = b.FirstAttribute();
    for (; x && y; x = x->Next(), y = y->Next()) {
        if (std::strcmp(x->Name(), y->Name()) != 0 || std::strcmp(x->Value(), y->Value()) != 0) {
            return false;
        }
    }
    return !x && !y;
}

// The library reads some text that it cannot print faithfully (an unquoted value holding bytes
// that are not UTF-8 after a byte-order mark comes back with its closing quote swallowed), so
// the text about to be written is first read again as the next run will read it. It must give
// the same element, the same settings with nothing left to add, and print as the same text;
// otherwise the file keeps what it says and only this run uses the values read.
bool readsBackTheSame(const TiXmlDocument& doc, const UnattendedSettings& defaults,
                      const UnattendedSettings& record) {
    std::string text;
    std::string reprinted;
    TiXmlDocument again;
    if (!platform::printXml(doc, text) || !platform::parseXml(text, again) ||
        !platform::printXml(again, reprinted) || reprinted != text) {
        return false;
    }
    const TiXmlElement* written = doc.FirstChildElement(kSettingsElement);
    TiXmlElement* read = again.FirstChildElement(kSettingsElement);
    if (!written || !read || !sameAttributes(*written, *read)) return false;
    UnattendedSettings next = defaults;
    return !completeElement(*read, next) && sameRecord(next, record);
}

}  // namespace

bool readSettingsFile(const char16_t* path, UnattendedSettings& record) {
    setDefaultSettings(record);
    const UnattendedSettings defaults = record;
    TiXmlDocument doc;
    if (!platform::xmlFiles().load(path, doc)) return false;
    bool changed = true;
    if (TiXmlElement* element = doc.FirstChildElement(kSettingsElement)) {
        changed = completeElement(*element, record);
    } else {
        appendDefaultElement(doc, record);
    }
    // A file that cannot be opened for writing keeps what it says; the settings read still hold.
    if (changed && readsBackTheSame(doc, defaults, record)) platform::xmlFiles().save(path, doc);
    return true;
}
