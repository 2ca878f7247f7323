// The "Unattended" element of the settings file: its attributes read into the record, the
// missing ones added and an HID count that is not a number replaced.
#pragma once

#include "startup/Settings.h"

class TiXmlDocument;
class TiXmlElement;

constexpr const char* kSettingsElement = "Unattended";

// Language 1033, nothing agreed or shown, HID 1, the Program Files folder (none when unknown).
void setDefaultSettings(UnattendedSettings& record);

// Reads the element's attributes into the record, adding what is missing (after the others, in
// a fixed order) and replacing an HID count that is not a number. True when the element changed.
bool completeElement(TiXmlElement& element, UnattendedSettings& record);

// A new element with every setting from the record, as the document's last top-level node.
void appendDefaultElement(TiXmlDocument& doc, const UnattendedSettings& record);
