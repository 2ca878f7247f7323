// The unattended settings: how to run without questions, from "script.ini" next to the
// executable. The file is XML despite its name; its "Unattended" element is completed with every
// setting it lacks and written back, so that after one run it lists all of them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/Endpoint.h"
#include "common/Text.h"

struct UnattendedSettings {
    std::uint32_t language = 0;  // a LANGID
    bool licenceAgreed = false;
    bool showPanel = false;
    std::int32_t hidMode = 0;
    TextBuffer installBase{};
    // Install without the touch device (machines prepared before their frames are fitted):
    // "NoDevice" of the file, which is read when present and never added, or /NODEVICE.
    bool noDevice = false;
    // The base folder came from /D=: it is made when missing, right before the installation.
    bool makeBase = false;
    // How the run goes, from the command line only (never written to the file): no window
    // and no box at all, and how long to wait for the touch device then.
    bool silent = false;
    std::uint32_t deviceWaitSeconds = 0;
    // The file's Path could not be read or has no faithful form: installBase holds the default
    // instead, which an unattended run must not install into as if it had been asked to.
    bool pathUnusable = false;
    // The panel's endpoint ("Endpoint", optional and never written as a default: without it an
    // upgrade keeps the endpoint it finds). One that cannot be read is not guessed at: like an
    // unusable Path, the run installs nothing.
    bool hasEndpoint = false;
    Endpoint endpoint;
    bool endpointUnusable = false;
};

// None in an interactive run: start-up drops the record when the file cannot be read.
extern std::unique_ptr<UnattendedSettings> settings;

// Fills the record from the file at `path` (defaults first), completing and rewriting the file
// when it lacks a setting or holds an HID count that is not a number, and only when the text
// to be written reads back as the same settings. False when the file is missing, empty or not
// XML, or over the bounds of platform::kSettingsXmlLimits (`refusal`, when given, then says
// how); then nothing is written. Without `mayWrite` (a command line that sets anything) the file
// is only read.
bool readSettingsFile(const char16_t* path, UnattendedSettings& record, bool mayWrite = true,
                      std::string* refusal = nullptr);
