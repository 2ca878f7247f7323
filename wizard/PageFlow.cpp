#include "wizard/PageFlow.h"

#include <algorithm>
#include <string>

#include "device/DeviceArrival.h"
#include "device/DeviceReport.h"
#include "device/UsbDevices.h"
#include "engine/InstallWorker.h"
#include "engine/ProductLock.h"
#include "engine/ProtectedFolders.h"
#include "engine/SetupLog.h"
#include "platform/Clock.h"
#include "platform/WindowHost.h"
#include "startup/InstallerInit.h"
#include "startup/Settings.h"
#include "startup/StartupSequence.h"
#include "wizard/AccessibleWizard.h"
#include "wizard/DisplayScale.h"
#include "wizard/FolderBrowser.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/Pages.h"
#include "wizard/Records.h"
#include "wizard/SessionEnd.h"
#include "wizard/StatusLines.h"
#include "wizard/Surface.h"
#include "wizard/TouchInput.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

void (*wizardTrace)(const char* event, std::u16string_view text) = nullptr;

namespace {

// The devices the package names as its own; the defaults before any package is loaded.
const TouchDeviceIds& productTouchDevices() {
    static const TouchDeviceIds defaults{};
    return installConfig ? installConfig->identity.touch : defaults;
}

// A run told to install without the device (a machine prepared before its frame is fitted)
// finds it present whenever it looks.
bool touchDeviceAttached() {
    if (settings && settings->noDevice) return true;
    return countTouchDevices(productTouchDevices()) > 0;
}

void trace(const char* event, std::u16string_view text = {}) {
    if (wizardTrace) wizardTrace(event, text);
}

constexpr std::uint8_t kPageStep = 15;
constexpr std::uint8_t kWindowStep = 20;
constexpr std::uint8_t kWindowHidden = 15;

// What the page flow knows of the one installation a run may start.
struct WorkerRecord {
    bool started = false;
    bool ended = false;        // its end message arrived
    bool closeAsked = false;   // the window was told to close while the worker ran
    bool boxOpen = false;      // one of its error boxes is open, and the worker waits for it
    bool senderWaits = false;  // the worker waits for the box's answer, released from its send
};
WorkerRecord workerRecord;

// A run that ends before any installation for a reason of its own (no touch device in a
// silent run's wait, a Path that cannot be used) says so in its exit status.
int endStatus = kExitNotStarted;
// Why a window closed before any installation started, for the log of a run that ends with 2.
const char* closedBecause = "the window could not go on";
// The silent run's wait for the touch device: when it began, on the clock's tick count.
std::uint32_t deviceWaitStart = 0;

// What a language put on the licence page, for the test build's record.
void traceLanguage() {
    if (!wizardTrace) return;
    trace("folder", wizardWidgets.pathLabel.text);
    const auto& paragraphs = wizardWidgets.licenceView.paragraphs;
    trace("licence", paragraphs.empty() ? std::u16string_view() : paragraphs.front().text);
}

bool workerRuns() {
    return workerRecord.started && !workerRecord.ended;
}

// Without its timer the wizard can neither fade in nor fade out: it is hidden and closes at
// once, or, while an installation runs, when the worker's end message comes.
void goWithoutTimer() {
    trace("no timer");
    closedBecause = "its animation timer could not be made";
    wizardState.inputEnabled = false;
    platform::windowHost().show(windowSurface.window, false);
    if (!workerRuns()) platform::windowHost().postClose(windowSurface.window);
}

bool startTimer() {
    if (wizardState.timerRunning != 0) return true;
    if (!platform::windowHost().startTimer(windowSurface.window, kWizardTimer, kTickMs)) {
        goWithoutTimer();
        return false;
    }
    wizardState.timerRunning = kWizardTimer;
    return true;
}

void fadeInWindow() {
    wizardState.fadeMode = FadeIn;
    if (startTimer()) showWindowSurface();
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

void endWithoutInstalling(int status, const char* reason);
bool runsWithoutWindow();

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

// The device is there: interactively the progress page comes; unattended the window fades
// away and the installation runs without questions.
void beginInstallation() {
    if (workerRecord.started) return;
    if (!settings) {
        workerParameter.quiet = 0;
        workerParameter.showPanel = 1;
        workerParameter.hidRunCount = 0;
        wizardState.currentPage = ProgressPage;
    } else {
        workerParameter.quiet = 1;
        workerParameter.showPanel = settings->showPanel ? 1 : 0;
        workerParameter.hidRunCount = settings->hidMode;
        wizardState.fadeMode = FadeOutHide;
    }
    startWorker();
}

void stepPage(int page) {
    WizardState& s = wizardState;
    std::uint8_t& alpha = s.pageAlpha[page];
    if (page == s.currentPage && alpha < 255) {
        if (alpha == 0 && page == LicencePage) wizardWidgets.licenceView.scrolling = true;
        if (alpha == 0 && page == ProgressPage) wizardWidgets.progressSlideshow.running = true;
        alpha = std::uint8_t(std::min(255, alpha + kPageStep));
        s.fullComposePending = true;
        if (alpha == 255) {
            s.inputEnabled = true;
            static const char* const shown[kPageCount] = {"page 0", "page 1", "page 2", "page 3"};
            trace(shown[page]);
            if (page == DevicePage && touchDeviceAttached()) beginInstallation();
        }
    } else if (page != s.currentPage && alpha != 0) {
        alpha = std::uint8_t(std::max(0, alpha - kPageStep));
        if (alpha == 0 && s.currentPage == DevicePage) wizardWidgets.licenceView.scrolling = false;
        s.fullComposePending = true;
    }
}

bool stepWindowFade() {
    WizardState& s = wizardState;
    if (s.fadeMode == FadeIn) {
        if (s.windowAlpha >= 255) return false;
        s.windowAlpha = std::uint8_t(std::min(255, s.windowAlpha + kWindowStep));
        if (s.windowAlpha == 255) {
            s.inputEnabled = true;
            trace("window shown");
        }
        return true;
    }
    if (s.windowAlpha > kWindowHidden) {
        s.windowAlpha = std::uint8_t(std::max<int>(kWindowHidden, s.windowAlpha - kWindowStep));
        return true;
    }
    if (s.timerRunning != 0) {
        platform::windowHost().stopTimer(windowSurface.window, s.timerRunning);
        s.timerRunning = 0;
        platform::windowHost().show(windowSurface.window, false);
    }
    if (s.fadeMode == FadeOutClose) platform::windowHost().postClose(windowSurface.window);
    return false;
}

bool isDirty(const Widget& w) {
    return w.dirty;
}

// A running slideshow draws on every tick, building its picture up over the last one.
bool stepSlideshow(Slideshow& show) {
    bool changed = show.dirty;
    if (show.running) {
        show.dirty = true;
        changed = true;
    }
    return changed;
}

bool stepWidgets() {
    WizardWidgets& w = wizardWidgets;
    bool changed = isDirty(w.closeButton);
    for (const ImageButton& b : w.languageButtons) changed |= isDirty(b);
    // A scroll step is painted on the next tick.
    changed |= isDirty(w.licenceView);
    w.licenceView.scrollStep();
    changed |= stepSlideshow(w.licencePicture);
    changed |= isDirty(w.pathLabel);
    changed |= isDirty(w.browseButton);
    changed |= isDirty(w.agreeButton);
    changed |= isDirty(w.disagreeButton);
    changed |= stepSlideshow(w.progressSlideshow);
    changed |= isDirty(w.statusLabel);
    return changed;
}

// The buttons the pointer visits on the current page, the close button first.
template <typename Visit>
void visitButtons(Visit visit) {
    if (!visit(wizardWidgets.closeButton)) return;
    for (ImageButton* b : pageLayout(wizardState.currentPage).buttons) {
        if (!visit(*b)) return;
    }
}

void startDragging(int x, int y) {
    trace("drag started");
    wizardState.dragging = true;
    wizardState.dragOffset[0] = x;
    wizardState.dragOffset[1] = y;
}

// For the test build's record: a status line once it is on the screen in a settled frame (its
// page and the window fully shown, nothing left to paint), each text once.
std::u16string shownStatus;

void traceShownStatus() {
    if (!wizardTrace) return;
    const WizardState& s = wizardState;
    const TextLabel& status = wizardWidgets.statusLabel;
    bool settled = !status.dirty && !s.fullComposePending && s.pageAlpha[ProgressPage] == 255 &&
                   s.windowAlpha == 255;
    if (!settled || status.text == shownStatus) return;
    shownStatus = status.text;
    trace("shown", status.text);
}

// A run without a window has nobody to answer a box: a deployment tool would wait for ever.
// The worker has logged the error; it rolls back and the exit status says so.
bool runsWithoutWindow() {
    return workerParameter.quiet != 0 || (settings && settings->silent);
}

// The box is answered, or ended by a close: the worker waiting for it goes on.
void answerWorker() {
    if (!workerRecord.senderWaits) return;
    workerRecord.senderWaits = false;
    platform::windowHost().answerSender();
}

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

void installPageFlow() {
    clickActions.close = closeAction;
    clickActions.agree = agreeAction;
    clickActions.language = languageAction;
    startupDecision = runStartupDecision;
    workerRecord = {};
    endStatus = kExitNotStarted;
    closedBecause = "the window could not go on";
    shownStatus.clear();
    resetSessionEnd();
}

bool installationRuns() {
    return workerRuns();
}

namespace {

// Ends a run that never showed its window and installs nothing.
void endWithoutInstalling(int status, const char* reason) {
    logEvent(reason);
    endStatus = status;
    platform::windowHost().postClose(windowSurface.window);
}

// What was looked for and what was there, for whoever reads why nothing was installed.
void endWithoutTheDevice(const char* reason) {
    logEvent(std::string("looked for the touch device: ") + touchIdsText(productTouchDevices()) +
             "; " + attachedDevicesText());
    endWithoutInstalling(kExitNoDevice, reason);
}

// A silent run shows no device page: it waits for the device hidden, for a bounded time,
// looking once a second and on every arrival notice.
void waitForDeviceSilently() {
    WizardState& s = wizardState;
    s.currentPage = DevicePage;
    s.pageAlpha[LanguagePage] = s.pageAlpha[LicencePage] = s.pageAlpha[ProgressPage] = 0;
    s.pageAlpha[DevicePage] = 255;
    deviceWaitStart = platform::clock().tickCount();
    logEvent("waiting for the touch device, seconds: " +
             std::to_string(settings->deviceWaitSeconds));
    if (settings->deviceWaitSeconds == 0 ||
        !platform::windowHost().startTimer(windowSurface.window, kDeviceWaitTimer,
                                           kDeviceWaitTickMs)) {
        endWithoutTheDevice("no touch device");
    }
}

void stopDeviceWait() {
    platform::windowHost().stopTimer(windowSurface.window, kDeviceWaitTimer);
}

}  // namespace

void runStartupDecision() {
    WizardState& s = wizardState;
    if (!settings) {
        if (s.timerRunning == 0) fadeInWindow();
        return;
    }
    initInstaller(settings->language);
    traceLanguage();
    if (settings->licenceAgreed && settings->pathUnusable) {
        // Installing into the default folder instead would be a silent guess.
        endWithoutInstalling(kExitRolledBack,
                             "error: nothing installed, the settings file's Path cannot be used");
    } else if (settings->licenceAgreed && settings->endpointUnusable) {
        // As would keeping or defaulting the endpoint a deployment meant to set.
        endWithoutInstalling(
            kExitRolledBack,
            "error: nothing installed, the settings file's Endpoint cannot be used");
    } else if (!settings->licenceAgreed) {
        if (s.timerRunning != 0) return;
        s.pageAlpha[LanguagePage] = 0;
        s.pageAlpha[LicencePage] = 255;
        s.pageAlpha[DevicePage] = s.pageAlpha[ProgressPage] = 0;
        s.currentPage = LicencePage;
        wizardWidgets.licenceView.scrolling = true;
        fadeInWindow();
    } else if (touchDeviceAttached()) {
        workerParameter.quiet = 1;
        workerParameter.showPanel = settings->showPanel ? 1 : 0;
        workerParameter.hidRunCount = settings->hidMode;
        startWorker();
    } else if (settings->silent) {
        waitForDeviceSilently();
    } else if (s.timerRunning == 0) {
        s.currentPage = DevicePage;
        s.pageAlpha[LanguagePage] = s.pageAlpha[LicencePage] = s.pageAlpha[ProgressPage] = 0;
        s.pageAlpha[DevicePage] = 255;
        fadeInWindow();
    }
}

void onDeviceWaitTimer() {
    if (workerRecord.started || !settings) return stopDeviceWait();
    if (touchDeviceAttached()) {
        stopDeviceWait();
        beginInstallation();
        return;
    }
    std::uint32_t waited = platform::elapsedSince(deviceWaitStart, platform::clock().tickCount());
    if (waited / 1000 >= settings->deviceWaitSeconds) {
        stopDeviceWait();
        endWithoutTheDevice("no touch device within the wait");
    }
}

bool stepAnimations() {
    followPageFocus();
    for (int page = 0; page < kPageCount; ++page) stepPage(page);
    bool changed = wizardState.fullComposePending;
    changed |= stepWindowFade();
    stepTouchFling();
    changed |= stepWidgets();
    return changed;
}

void onTimer() {
    paintTick(stepAnimations());
    traceShownStatus();
}

void onMouseDown(int x, int y) {
    // The folder chooser is modal: what reaches the window through its loop is not for us.
    if (choosingFolder()) return;
    bool pressed = false;
    if (wizardState.inputEnabled) {
        // Buttons are tested in the layout; the drag keeps the window's own pixels.
        int lx = layoutCoordinate(x), ly = layoutCoordinate(y);
        visitButtons([&](ImageButton& b) {
            pressed |= b.pressTest(lx, ly, !pressed);
            return true;
        });
    }
    if (!pressed) startDragging(x, y);
    platform::windowHost().capture(windowSurface.window);
}

void onMouseMove(int x, int y) {
    if (choosingFolder()) return;
    if (wizardState.inputEnabled) {
        bool entered = false;
        int lx = layoutCoordinate(x), ly = layoutCoordinate(y);
        visitButtons([&](ImageButton& b) {
            entered |= b.hoverTest(lx, ly, !entered);
            return true;
        });
    }
    if (!wizardState.dragging) return;
    std::int32_t cx = 0, cy = 0;
    platform::windowHost().cursorPos(cx, cy);
    windowSurface.windowPos = {cx - wizardState.dragOffset[0], cy - wizardState.dragOffset[1]};
    PushFrame();
}

void onMouseUp(int x, int y) {
    if (choosingFolder()) return;
    if (wizardState.inputEnabled) {
        // A click may change the page (and so its buttons): the list is taken first.
        std::vector<ImageButton*> buttons{&wizardWidgets.closeButton};
        for (ImageButton* b : pageLayout(wizardState.currentPage).buttons) buttons.push_back(b);
        int lx = layoutCoordinate(x), ly = layoutCoordinate(y);
        for (ImageButton* b : buttons) b->releaseTest(lx, ly);
    }
    wizardState.dragging = false;
    platform::windowHost().releaseCapture();
}

void onDpiChanged(unsigned dpi, int left, int top) {
    rescaleWindowSurface(dpi, {left, top});
}

void onCaptureLost() {
    WizardState& s = wizardState;
    if (s.dragging) trace("drag ended");
    s.dragging = false;
    // A press whose release can no longer reach the window must not fire at a later release.
    visitButtons([](ImageButton& b) {
        if (b.state == ButtonState::Pressed) {
            b.state = ButtonState::Normal;
            b.dirty = true;
        }
        return true;
    });
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

void onDeviceChange(std::uintptr_t wParam, const std::uint8_t* broadcast, std::size_t size) {
    if (!mayBeTouchArrival(wParam, broadcast, size, productTouchDevices())) return;
    // Arrivals during the page's fade-in are caught by the count at the end of the fade.
    if (wizardState.currentPage != DevicePage || wizardState.pageAlpha[DevicePage] != 255) return;
    beginInstallation();
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

namespace {

// What a finished installation tells a deployment tool: a failed driver script outweighs a
// restart asked for.
int installedStatus() {
    if (installConfig->driverFailed) return kExitDriverFailed;
    if (installConfig->restartRequired) return kExitRestartRequired;
    return kExitInstalled;
}

}  // namespace

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
    trace("exit", utf8ToUtf16(std::to_string(status)));
    return endRun(status);
}

void languageAction(std::uint32_t langId) {
    initInstaller(langId);
    traceLanguage();
    wizardState.currentPage = LicencePage;
    wizardState.inputEnabled = false;
}

void agreeAction() {
    wizardState.currentPage = DevicePage;
    wizardState.inputEnabled = false;
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
