#include "startup/Settings.h"

#include <tinyxml.h>

#include <string>

#include "platform/XmlFiles.h"
#include "platform/XmlText.h"
#include "startup/SettingsElement.h"

std::unique_ptr<UnattendedSettings> settings;

namespace {

bool sameRecord(const UnattendedSettings& a, const UnattendedSettings& b) {
    return a.language == b.language && a.licenceAgreed == b.licenceAgreed &&
           a.showPanel == b.showPanel && a.hidMode == b.hidMode &&
           textEquals(a.installBase, b.installBase) && a.pathUnusable == b.pathUnusable &&
           a.noDevice == b.noDevice;
}

// The library reads some text that it cannot print faithfully: after a byte-order mark, an
// unquoted value holding bytes that are not UTF-8 comes back with its closing quote swallowed,
// or with "&amp;" taken as text. So the text about to be written is first read again as the
// next run will read it: it must load, print as the same text (nothing in the document drifts)
// and give the same settings with nothing left to add. Otherwise the file keeps what it says
// and only this run uses the values read.
bool readsBackTheSame(const TiXmlDocument& doc, const UnattendedSettings& defaults,
                      const UnattendedSettings& record, bool utf8) {
    std::string text;
    std::string reprinted;
    TiXmlDocument again;
    std::string refusal;
    if (!platform::printXml(doc, text) ||
        !platform::parseXmlFile(text, again, platform::kSettingsXmlLimits, refusal) ||
        !platform::printXml(again, reprinted) || reprinted != text) {
        return false;
    }
    TiXmlElement* read = again.FirstChildElement(kSettingsElement);
    if (!read) return false;
    UnattendedSettings next = defaults;
    return readsAsUtf8(again) == utf8 && !completeElement(*read, next, utf8) &&
           sameRecord(next, record);
}

}  // namespace

bool readSettingsFile(const char16_t* path, UnattendedSettings& record, bool mayWrite,
                      std::string* refusal) {
    setDefaultSettings(record);
    const UnattendedSettings defaults = record;
    TiXmlDocument doc;
    std::string overLimits;
    if (!platform::xmlFiles().load(path, doc, platform::kSettingsXmlLimits, overLimits)) {
        if (refusal) *refusal = overLimits;
        return false;
    }
    // Written back in the encoding it was read in.
    bool utf8 = readsAsUtf8(doc);
    bool changed = true;
    if (TiXmlElement* element = doc.FirstChildElement(kSettingsElement)) {
        changed = completeElement(*element, record, utf8);
    } else {
        appendDefaultElement(doc, record, utf8);
    }
    // A file that cannot be opened for writing keeps what it says; the settings read still hold.
    if (mayWrite && changed && readsBackTheSame(doc, defaults, record, utf8)) {
        platform::xmlFiles().save(path, doc);
    }
    return true;
}
