// The "Unattended" element of the settings file: its attributes read into the record, the
// missing ones added and an HID count that is not a number replaced.
#pragma once

#include "startup/Settings.h"

class TiXmlDocument;
class TiXmlElement;

constexpr const char* kSettingsElement = "Unattended";

// Language 1033, nothing agreed or shown, HID 1, the Program Files folder (none when unknown).
void setDefaultSettings(UnattendedSettings& record);

// Whether the document's text is UTF-8: it starts with the byte-order mark or its declaration
// says so ("UTF-8" or "UTF8", in any case). Any other document is in the system code page.
bool declaresUtf8(const TiXmlDocument& doc);
// Whether the document is read as UTF-8: it says so, or its text is valid UTF-8 and holds a
// byte above 0x7F (Notepad saves UTF-8 without a mark or a declaration). Any other document is
// read in the system code page, as files in the field always were.
bool readsAsUtf8(const TiXmlDocument& doc);

// Reads the element's attributes into the record, adding what is missing (after the others, in
// a fixed order) and replacing an HID count that is not a number. A Path that cannot be read in
// the document's encoding (`utf8`) leaves the default and marks the record. True when the
// element changed.
bool completeElement(TiXmlElement& element, UnattendedSettings& record, bool utf8 = false);

// A new element with every setting from the record, as the document's last top-level node.
void appendDefaultElement(TiXmlDocument& doc, const UnattendedSettings& record, bool utf8 = false);
