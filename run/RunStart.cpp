#include "run/RunStart.h"

#include "device/DeviceArrival.h"
#include "engine/ExitStatus.h"
#include "platform/SystemInfo.h"
#include "run/InstallStart.h"
#include "run/RunEnd.h"
#include "run/RunState.h"
#include "run/SessionEnd.h"
#include "run/WorkerLife.h"
#include "startup/StartupSequence.h"
#include "wizard/Animation.h"
#include "wizard/DisplayScale.h"
#include "wizard/PageActions.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

platform::Point centredOn(const platform::ScreenRect& monitor, platform::Size size) {
    // Integer division truncates toward zero, also for a monitor narrower than the window.
    return {monitor.left + (monitor.right - size.width - monitor.left) / 2,
            monitor.top + (monitor.bottom - size.height - monitor.top) / 2};
}

void placeWindow(unsigned dpi) {
    setDisplayDpi(dpi);
    WindowSurface& surface = windowSurface;
    surface.windowSize = scaledSize({kWindowWidth, kWindowHeight});
    std::int32_t x = 0, y = 0;
    platform::windowHost().cursorPos(x, y);
    platform::ScreenRect monitor;
    surface.windowPos = platform::windowHost().monitorAt(x, y, monitor)
                            ? centredOn(monitor, surface.windowSize)
                            : platform::Point{};
}

int prepareWizard(std::u16string_view executablePath, std::u16string_view commandLine) {
    StartupOutcome outcome = runStartupSequence(executablePath, commandLine);
    if (!outcome.goesOn) return endRun(outcome.status, outcome.meaning);
    wizardState = WizardState{};
    WindowSurface& surface = windowSurface;
    surface.srcPoint = {0, 0};
    placeWindow(kDesignDpi);
    installPageFlow();
    return kRunGoesOn;
}

void installPageFlow() {
    clickActions.close = closeAction;
    clickActions.agree = agreeAction;
    clickActions.language = languageAction;
    startupDecision = runStartupDecision;
    pageShown = onPageShown;
    timerMissing = closeWithoutTimer;
    workerRecord = {};
    endStatus = kExitNotStarted;
    closedBecause = "the window could not go on";
    resetAnimation();
    resetSessionEnd();
}

void startWizard(void* window, platform::StatusChannel* statusChannel) {
    windowSurface.window = window;
    // Only the window knows the density of the screen it is on.
    if (unsigned dpi = platform::windowHost().dpi(window); dpi != displayDpi()) placeWindow(dpi);
    registerDeviceArrival(window);
    workerParameter = WorkerParameter{};
    workerParameter.window = statusChannel;
    workerParameter.quiet = 0;
    workerParameter.showPanel = 1;
    workerParameter.language = 1033;
    workerParameter.hidRunCount = 0;
    // LocalSystem's own Start menu, desktop and HKCU are no user's.
    workerParameter.perMachine =
        runOptions().allUsers || platform::systemInfo().runsAsLocalSystem() ? 1 : 0;
    workerParameter.allowDowngrade = runOptions().allowDowngrade ? 1 : 0;
    workerParameter.hasEndpoint = runOptions().hasEndpoint ? 1 : 0;
    workerParameter.endpoint = runOptions().endpoint;
    BuildWindowSurface();
}
