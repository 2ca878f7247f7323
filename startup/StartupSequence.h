// The sequence before the window: where the settings file lies, the command line and the
// settings read (the line winning), the setup log opened with what the run was asked to do,
// the usage shown for /? or a line not understood, and a silent run's wait for another
// installation of the product to end.
#pragma once

#include <string>
#include <string_view>

#include "common/Endpoint.h"

// "script.ini" in the executable's own folder, whatever the current folder is.
std::u16string settingsPathBeside(std::u16string_view executablePath);

// How to install that holds in the wizard as well: from the command line and script.ini, handed
// to the worker's parameter when the wizard starts.
struct RunOptions {
    bool allUsers = false;
    bool allowDowngrade = false;
    bool hasEndpoint = false;
    Endpoint endpoint;
};
// As the last sequence took them.
const RunOptions& runOptions();

// Whether the run goes on to its window; when it does not, the exit status to end it with and
// its meaning (the exit status table's when none).
struct StartupOutcome {
    bool goesOn = true;
    int status = 0;
    const char* meaning = nullptr;
};

// Reads the command line and the settings (none when the file cannot be read and the command
// line says nothing of how to install: an interactive run), the command line winning, and
// opens the setup log. For /? and a command line that was not understood it shows the usage
// instead (only in the log for /S); a silent run that finds another installation or removal of
// the product running, and waits for it in vain, does not go on either. The settings are gone
// when the run does not go on.
StartupOutcome runStartupSequence(std::u16string_view executablePath,
                                  std::u16string_view commandLine);
