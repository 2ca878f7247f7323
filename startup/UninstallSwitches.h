// The command line of Uninstall.exe, read as setup.exe's is (startup/SwitchTable.h): the whole
// line before anything is decided, a word not understood ends the run with status 5, and a word
// asking for a run without questions anywhere on it means no box.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "startup/Switches.h"

struct UninstallSwitches {
    bool silent = false;     // /S: no question and no box
    bool help = false;       // /?
    bool noRestart = false;  // /NORESTART: what the uninstaller always does
    std::u16string logPath;  // /LOG=FILE
    std::uint32_t lockWaitSeconds = kDefaultLockWaitSeconds;  // /LOCKWAIT=SECONDS
    // /RUN=ORIGINAL: this is the uninstaller's temporary copy, removing the installation whose
    // uninstaller ORIGINAL is. Only the uninstaller itself starts a copy so.
    std::u16string runFor;
    // /PARENT=ID: the process id of the uninstaller that started the copy, which the copy outlives
    // to remove that uninstaller's program once it has ended.
    std::uint32_t parent = 0;
    std::u16string notUnderstood;  // every word not understood, blank-separated
    bool noBoxes = false;          // /S, or any word asking for silence
};

// False when a word was not understood (all are named in `notUnderstood`).
bool parseUninstallSwitches(std::u16string_view line, UninstallSwitches& switches);

extern const char16_t kUninstallUsageText[];
