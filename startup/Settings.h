// The unattended settings: how to run without questions, from "script.ini" next to the
// executable. The file is XML despite its name; its "Unattended" element is completed with every
// setting it lacks and written back, so that after one run it lists all of them.
#pragma once

#include <cstdint>
#include <memory>

#include "common/Text.h"

struct UnattendedSettings {
    std::uint32_t language = 0;  // a LANGID
    bool licenceAgreed = false;
    bool showPanel = false;
    std::int32_t hidMode = 0;
    TextBuffer installBase{};
};

// None in an interactive run: start-up drops the record when the file cannot be read.
extern std::unique_ptr<UnattendedSettings> settings;

// Fills the record from the file at `path` (defaults first), completing and rewriting the file
// when it lacks a setting or holds an HID count that is not a number, and only when the text
// to be written reads back as the same settings. False when the file is missing, empty or not
// XML; then nothing is written.
bool readSettingsFile(const char16_t* path, UnattendedSettings& record);
