#include "run/RunEnd.h"

#include <string>

#include "common/Text.h"
#include "device/DeviceArrival.h"
#include "engine/ExitStatus.h"
#include "engine/ProductLock.h"
#include "engine/SetupLog.h"
#include "platform/WindowHost.h"
#include "run/RunState.h"
#include "run/SessionEnd.h"
#include "startup/Settings.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/WizardTrace.h"

// A run that ends before any installation for a reason of its own (no touch device in a
// silent run's wait, a Path that cannot be used) says so in its exit status.
int endStatus = kExitNotStarted;
// Why a window closed before any installation started, for the log of a run that ends with 2.
const char* closedBecause = "the window could not go on";

namespace {

// What a finished installation tells a deployment tool: a failed driver script outweighs a
// restart asked for.
int installedStatus() {
    if (installConfig->driverFailed) return kExitDriverFailed;
    if (installConfig->restartRequired) return kExitRestartRequired;
    return kExitInstalled;
}

}  // namespace

// Ends a run that never showed its window and installs nothing.
void endWithoutInstalling(int status, const char* reason) {
    logEvent(reason);
    endStatus = status;
    platform::windowHost().postClose(windowSurface.window);
}

int onDestroy() {
    int status = endStatus;
    if (installConfig) {
        // The end of the session already waited for it as long as it could.
        if (installConfig->workerThread && !workerLeftRunningAtSessionEnd()) {
            // Closed from outside while it ran: it rolls back, and its last lines finish.
            installConfig->running = false;
            installConfig->workerThread->waitServingMessages();
            installConfig->workerThread.reset();
        }
        if (workerRecord.started) {
            status = installConfig->completed          ? installedStatus()
                     : installConfig->downgradeRefused ? kExitNewerVersionInstalled
                                                       : kExitRolledBack;
        }
    }
    if (status == kExitNotStarted) {
        logEvent(std::string("the window closed before any installation started: ") +
                 closedBecause);
    }
    unregisterDeviceArrival();
    DestroyWindowSurface();
    settings.reset();
    traceWizard("exit", utf8ToUtf16(std::to_string(status)));
    return endRun(status);
}
int endRun(int status, const char* meaning) {
    logEvent("exit status " + std::to_string(status),
             utf8ToUtf16(meaning ? meaning : exitStatusMeaning(status)));
    closeSetupLog();
    unlockProduct();
    return status;
}
