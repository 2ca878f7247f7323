// The exit statuses of setup.exe: what a deployment tool that ran it unwatched reads to tell
// what happened. The numbers are documented for release engineers and must not change.
#pragma once

#include <cstdint>

constexpr int kExitInstalled = 0;
constexpr int kExitRolledBack = 1;          // cancelled or failed: nothing was installed
constexpr int kExitNotStarted = 2;          // the window closed before any installation started
constexpr int kExitDriverFailed = 3;        // installed, but a driver install script failed
constexpr int kExitNoDevice = 4;            // a silent run found no touch device in its wait
constexpr int kExitBadCommandLine = 5;      // a switch was not understood: nothing was done
constexpr int kExitAnotherRun = 1618;       // another installation or removal of it was running
constexpr int kExitRestartRequired = 3010;  // installed; a restart completes it
// A newer version is installed and was kept (no /ALLOWDOWNGRADE): MSI's own number for it.
constexpr int kExitNewerVersionInstalled = 1638;
// A script's own code for "restart started"; setup.exe reports it as kExitRestartRequired.
constexpr std::uint32_t kExitRestartStarted = 1641;

// "installed", "installed, restart required", ...; "unknown" for any other number.
const char* exitStatusMeaning(int status);
