#include "run/SessionEnd.h"

#include "engine/SetupLog.h"
#include "platform/Clock.h"
#include "platform/Threads.h"
#include "platform/WindowHost.h"
#include "run/WorkerLife.h"
#include "text/MessageTable.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/WizardTrace.h"

namespace {

bool held = false;
bool leftRunning = false;

void trace(const char* event) {
    if (wizardTrace) wizardTrace(event, {});
}

// True when the worker ended within the bound. Waits in slices, so that the bound is kept on
// the platform's clock whatever one wait does.
bool waitForWorker() {
    platform::ThreadHandle& thread = *installConfig->workerThread;
    std::uint32_t start = platform::clock().tickCount();
    constexpr std::uint32_t kSliceMs = 100;
    while (!thread.waitServingMessagesFor(kSliceMs)) {
        if (platform::elapsedSince(start, platform::clock().tickCount()) >= kEndSessionWaitMs) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool onQueryEndSession() {
    if (!installationRuns()) return true;
    if (!held) {
        held = true;
        logEvent(
            "the session is ending while the installation runs: it is cancelled, and the "
            "shutdown waits for its rollback");
        trace("shutdown held");
        platform::windowHost().holdShutdown(windowSurface.window,
                                            messageText(MSG_CANCELLING_SETUP));
    }
    onCloseRequest();
    return false;
}

bool onEndSession(bool ending) {
    if (!ending) {
        if (held) logEvent("the end of the session was called off; the rollback goes on");
        return false;
    }
    trace("session ends");
    if (installationRuns() && installConfig && installConfig->workerThread) {
        logEvent("the session ends: waiting for the installation's rollback");
        onCloseRequest();
        if (waitForWorker()) {
            installConfig->workerThread.reset();
        } else {
            leftRunning = true;
            logEvent(
                "error: the session ended before the rollback did; what it had not yet "
                "undone stays");
        }
    } else {
        logEvent("the session ends");
    }
    releaseShutdownHold();
    return true;
}

void releaseShutdownHold() {
    if (!held) return;
    held = false;
    platform::windowHost().releaseShutdown(windowSurface.window);
}

bool workerLeftRunningAtSessionEnd() {
    return leftRunning;
}

void resetSessionEnd() {
    held = false;
    leftRunning = false;
}
