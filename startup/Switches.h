// The command line of setup.exe, with the usual installer conventions: switches start with a
// slash and are spelt in any case; a value may be quoted; "/D=" comes last and takes the rest
// of the line, blanks included. The whole line is read before anything is decided. What the
// command line says wins over script.ini, which a line that sets anything never rewrites.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Endpoint.h"
#include "common/Text.h"

// How long a silent run waits for the touch device unless /WAIT= says otherwise.
constexpr std::uint32_t kDefaultDeviceWaitSeconds = 300;
constexpr std::uint32_t kLongestDeviceWaitSeconds = 86400;
// How long a silent run waits for another installation or removal of the same product to end
// unless /LOCKWAIT= says otherwise.
constexpr std::uint32_t kDefaultLockWaitSeconds = 600;
constexpr std::uint32_t kLongestLockWaitSeconds = 86400;
// /HID=N: the HID driver's install script runs N times, once per screen at most.
constexpr std::int32_t kMostHidRuns = 10;

struct SetupSwitches {
    bool silent = false;  // /S: no window, no box, the licence taken as accepted
    bool help = false;    // /?
    bool hasLanguage = false;
    std::uint32_t language = 1033;  // /LANG=English|Chinese|Italiano|Deutsch|Korean
    bool hasPath = false;
    TextBuffer path{};  // /D=PATH
    bool hasHid = false;
    std::int32_t hid = 1;    // /HID=N, 1 to kMostHidRuns
    bool panel = false;      // /PANEL
    bool noDevice = false;   // /NODEVICE: install without waiting for the touch device
    bool noRestart = false;  // /NORESTART: what setup.exe always does; accepted for the tools
    std::u16string logPath;  // /LOG=FILE
    std::uint32_t waitSeconds = kDefaultDeviceWaitSeconds;    // /WAIT=SECONDS
    std::uint32_t lockWaitSeconds = kDefaultLockWaitSeconds;  // /LOCKWAIT=SECONDS
    // Every word that is no switch of ours, as written, blank-separated; empty when all were.
    std::u16string notUnderstood;
    // /S, or a word that asks for a run without questions anywhere on the line (understood or
    // not): no box may be shown, not even the usage.
    bool noBoxes = false;
    // How to install, in the wizard as well as without it (none makes a run unattended):
    bool allUsers = false;        // /ALLUSERS: every user's Start menu, desktop and HKLM Run
    bool allowDowngrade = false;  // /ALLOWDOWNGRADE: an older version may replace a newer one
    bool hasEndpoint = false;     // /ENDPOINT=HOST:PORT: the panel's endpoint
    Endpoint endpoint;

    // Any switch that says how to install: it makes a run without script.ini unattended, and a
    // run with one leaves the file as it is. (A new setting's switch belongs here too.)
    bool setsAnything() const {
        return silent || hasLanguage || hasPath || hasHid || panel || noDevice;
    }
};

// Reads the whole line. False when a word is not understood (all such words are kept in
// `notUnderstood`, and every switch that was understood is set all the same): an unknown
// switch, a value that is not one of the allowed ones, a path that is empty or longer than 259
// units.
bool parseSwitches(std::u16string_view commandLine, SetupSwitches& switches);

// The usage text shown for /? and a command line that was not understood.
extern const char16_t kUsageText[];
