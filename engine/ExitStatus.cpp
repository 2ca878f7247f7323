#include "engine/ExitStatus.h"

const char* exitStatusMeaning(int status) {
    switch (status) {
        case kExitInstalled:
            return "installed";
        case kExitRolledBack:
            return "not installed: cancelled or failed, everything undone";
        case kExitNotStarted:
            return "not installed: the installation was not started";
        case kExitDriverFailed:
            return "installed, a driver failed";
        case kExitNoDevice:
            return "not installed: no touch device was found";
        case kExitBadCommandLine:
            return "not installed: the command line was not understood";
        case kExitAnotherRun:
            return "not installed: another installation or removal of the product was running";
        case kExitRestartRequired:
            return "installed, restart required";
        case kExitNewerVersionInstalled:
            return "not installed: a newer version is installed";
        default:
            return "unknown";
    }
}
