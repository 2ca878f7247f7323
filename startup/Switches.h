// The command line of setup.exe, with the usual installer conventions: switches start with a
// slash and are spelt in any case; a value may be quoted; "/D=" comes last and takes the rest
// of the line, blanks included. What the command line says wins over script.ini, which it
// never rewrites.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Endpoint.h"
#include "common/Text.h"

// How long a silent run waits for the touch device unless /WAIT= says otherwise.
constexpr std::uint32_t kDefaultDeviceWaitSeconds = 300;
constexpr std::uint32_t kLongestDeviceWaitSeconds = 86400;

struct SetupSwitches {
    bool silent = false;  // /S: no window, no box, the licence taken as accepted
    bool help = false;    // /?
    bool hasLanguage = false;
    std::uint32_t language = 1033;  // /LANG=English|Chinese|Italiano|Deutsch|Korean
    bool hasPath = false;
    TextBuffer path{};  // /D=PATH
    bool hasHid = false;
    std::int32_t hid = 1;                                   // /HID=N
    bool panel = false;                                     // /PANEL
    std::u16string logPath;                                 // /LOG=FILE
    std::uint32_t waitSeconds = kDefaultDeviceWaitSeconds;  // /WAIT=SECONDS
    std::u16string notUnderstood;  // the first word that is no switch of ours, as written
    // How to install, in the wizard as well as without it (none makes a run unattended):
    bool allUsers = false;        // /ALLUSERS: every user's Start menu, desktop and HKLM Run
    bool allowDowngrade = false;  // /ALLOWDOWNGRADE: an older version may replace a newer one
    bool hasEndpoint = false;     // /ENDPOINT=HOST:PORT: the panel's endpoint
    Endpoint endpoint;

    // Any switch that says how to install (and so makes a run without script.ini unattended).
    bool setsAnything() const { return silent || hasLanguage || hasPath || hasHid || panel; }
};

// False when a word is not understood (it is kept in `notUnderstood`): an unknown switch, a
// value that is not one of the allowed ones, a path that is empty or longer than 259 units.
bool parseSwitches(std::u16string_view commandLine, SetupSwitches& switches);

// The usage text shown for /? and a command line that was not understood.
extern const char16_t kUsageText[];
