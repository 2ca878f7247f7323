#include "run/DeviceWait.h"

#include <string>

#include "device/DeviceArrival.h"
#include "device/DeviceReport.h"
#include "engine/ExitStatus.h"
#include "engine/SetupLog.h"
#include "platform/Clock.h"
#include "platform/WindowHost.h"
#include "run/InstallStart.h"
#include "run/RunEnd.h"
#include "run/RunMode.h"
#include "run/RunState.h"
#include "startup/Settings.h"
#include "wizard/Surface.h"
#include "wizard/WizardState.h"

namespace {

// The silent run's wait for the touch device: when it began, on the clock's tick count.
std::uint32_t deviceWaitStart = 0;

// What was looked for and what was there, for whoever reads why nothing was installed.
void endWithoutTheDevice(const char* reason) {
    logEvent(std::string("looked for the touch device: ") + touchIdsText(productTouchDevices()) +
             "; " + attachedDevicesText());
    endWithoutInstalling(kExitNoDevice, reason);
}

void stopDeviceWait() {
    platform::windowHost().stopTimer(windowSurface.window, kDeviceWaitTimer);
}

}  // namespace

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

void onDeviceChange(std::uintptr_t wParam, const std::uint8_t* broadcast, std::size_t size) {
    if (!mayBeTouchArrival(wParam, broadcast, size, productTouchDevices())) return;
    // Arrivals during the page's fade-in are caught by the count at the end of the fade.
    if (wizardState.currentPage != DevicePage || wizardState.pageAlpha[DevicePage] != 255) return;
    beginInstallation();
}
