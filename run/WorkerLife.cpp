#include "run/WorkerLife.h"

#include <string>

#include "engine/ExitStatus.h"
#include "engine/InstallWorker.h"
#include "engine/ProductLock.h"
#include "engine/ProtectedFolders.h"
#include "platform/WindowHost.h"
#include "run/RunEnd.h"
#include "run/RunMode.h"
#include "run/RunState.h"
#include "run/SessionEnd.h"
#include "startup/Settings.h"
#include "text/LockMessages.h"
#include "wizard/AccessibleWizard.h"
#include "wizard/Animation.h"
#include "wizard/Records.h"
#include "wizard/StatusLines.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"
#include "wizard/WizardTrace.h"

WorkerRecord workerRecord;

namespace {

void trace(const char* event, std::u16string_view text = {}) {
    traceWizard(event, text);
}

bool workerRuns() {
    return workerRecord.started && !workerRecord.ended;
}

void workerEnded() {
    WizardState& s = wizardState;
    workerRecord.ended = true;
    releaseShutdownHold();
    s.fadeMode = FadeOutClose;
    s.inputEnabled = false;
    // A window that is hidden and not fading has nothing left to show: its first tick would
    // only close it, so an unattended run ends now instead of a tick later.
    if (s.timerRunning == 0 && s.windowAlpha <= kWindowHidden) {
        platform::windowHost().postClose(windowSurface.window);
        return;
    }
    startTimer();
}

// Another installation or removal of the product is running: a run with a window says so in a
// box, and none installs over it.
bool productIsFree() {
    if (lockProduct(installConfig->identity, 0) != ProductLockResult::Busy) return true;
    if (!runsWithoutWindow()) {
        std::u16string text =
            productBusyText(workerParameter.language, viewOf(installConfig->product));
        platform::windowHost().messageBox(windowSurface.window, text.c_str(),
                                          installConfig->product);
    }
    endWithoutInstalling(kExitAnotherRun,
                         "not installed: another installation or removal of "
                         "the product is running");
    return false;
}

// The box is answered, or ended by a close: the worker waiting for it goes on.
void answerWorker() {
    if (!workerRecord.senderWaits) return;
    workerRecord.senderWaits = false;
    platform::windowHost().answerSender();
}

// A run without a window shows no box: the worker has logged the error; it rolls back and the
// exit status says so.
void showErrorBox(const StatusEffect& effect) {
    if (runsWithoutWindow()) {
        trace("no box", std::u16string(effect.caption) + u"|" + effect.text);
        return;
    }
    trace("box", std::u16string(effect.caption) + u"|" + effect.text);
    // The window is going: nobody is left to answer a box, and the worker must not wait.
    if (workerRecord.closeAsked) return;
    workerRecord.boxOpen = true;
    // The worker waits for the box's answer, not for this handler: a session's end handled
    // inside the box's loop may then wait for the worker's rollback.
    workerRecord.senderWaits = platform::windowHost().letSenderGo();
    platform::windowHost().messageBox(windowSurface.window, effect.text.c_str(), effect.caption);
    workerRecord.boxOpen = false;
    answerWorker();
}

}  // namespace

// One installation a run, whatever device notices keep arriving while (or after) it runs.
void startWorker() {
    if (workerRecord.started || !productIsFree()) return;
    workerRecord = {};
    workerRecord.started = true;
    trace("install");
    if (settings && settings->makeBase) makeMissingFolders(viewOf(workerParameter.installRoot));
    startInstallWorker(*installConfig, workerParameter);
    // No thread could be made: no end message will come, so the window ends here (exit 1).
    if (!installConfig->workerThread && !workerRecord.ended) workerEnded();
}

bool installationRuns() {
    return workerRuns();
}

bool onCloseRequest() {
    if (!workerRuns()) {
        if (!workerRecord.started && endStatus == kExitNotStarted &&
            wizardState.fadeMode != FadeOutClose) {
            closedBecause = "it was told to close from outside";
        }
        return true;
    }
    // Closed from outside while the worker runs: it is cancelled and rolls back, and its end
    // message closes the window. A box it waits for is ended, as its OK button would.
    trace("close asked");
    workerRecord.closeAsked = true;
    installConfig->running = false;
    wizardState.inputEnabled = false;
    if (workerRecord.boxOpen) platform::windowHost().closeMessageBox(windowSurface.window);
    answerWorker();
    return false;
}

void onWorkerStatus(std::uint32_t code, const std::uint8_t* text, std::size_t size) {
    StatusEffect effect = statusEffect(code, workerText(text, size), workerParameter.language);
    switch (effect.kind) {
        case StatusEffect::StatusLine:
            trace("status", effect.text);
            wizardWidgets.statusLabel.setText(effect.text);
            announceNameChange(&wizardWidgets.statusLabel);
            break;
        case StatusEffect::ErrorBox:
            showErrorBox(effect);
            break;
        case StatusEffect::WorkerDone:
            workerEnded();
            break;
        case StatusEffect::Ignore:
            break;
    }
}

void closeAction() {
    WizardState& s = wizardState;
    if (s.currentPage == ProgressPage && workerRecord.started && !workerRecord.ended) {
        // The window stays: the worker rolls back and its end message closes the window. The
        // handle is kept so that the teardown can wait for the worker's last lines.
        installConfig->running = false;
    } else {
        closedBecause = "the close button (or Disagree) was pressed";
        s.fadeMode = FadeOutClose;
        startTimer();
    }
    s.inputEnabled = false;
    ImageButton& close = wizardWidgets.closeButton;
    if (close.state != ButtonState::Normal) {
        close.state = ButtonState::Normal;
        close.dirty = true;
    }
}

void closeWithoutTimer() {
    closedBecause = "its animation timer could not be made";
    if (!workerRuns()) platform::windowHost().postClose(windowSurface.window);
}
