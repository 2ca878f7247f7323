#include "run/InstallStart.h"

#include "engine/ExitStatus.h"
#include "run/DeviceWait.h"
#include "run/RunEnd.h"
#include "run/RunMode.h"
#include "run/RunState.h"
#include "run/WorkerLife.h"
#include "startup/Settings.h"
#include "wizard/Animation.h"
#include "wizard/InstallerInit.h"
#include "wizard/PageActions.h"
#include "wizard/Records.h"
#include "wizard/Widgets.h"

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

void onPageShown(WizardPage page) {
    if (page == DevicePage && touchDeviceAttached()) beginInstallation();
}
