#include "startup/StartupSequence.h"

#include "device/DeviceArrival.h"
#include "startup/Settings.h"
#include "wizard/PageFlow.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/WizardState.h"

std::u16string settingsPathBeside(std::u16string_view executablePath) {
    std::size_t cut = executablePath.rfind(u'\\');
    std::u16string folder(cut == std::u16string_view::npos ? std::u16string_view()
                                                           : executablePath.substr(0, cut));
    return folder + u"\\script.ini";
}

platform::Point centredOn(const platform::ScreenRect& monitor) {
    // Integer division truncates toward zero, also for a monitor narrower than the window.
    return {monitor.left + (monitor.right - kWindowWidth - monitor.left) / 2,
            monitor.top + (monitor.bottom - kWindowHeight - monitor.top) / 2};
}

void prepareWizard(std::u16string_view executablePath) {
    auto record = std::make_unique<UnattendedSettings>();
    std::u16string path = settingsPathBeside(executablePath);
    settings = readSettingsFile(path.c_str(), *record) ? std::move(record) : nullptr;

    wizardState = WizardState{};
    WindowSurface& surface = windowSurface;
    surface.windowSize = {kWindowWidth, kWindowHeight};
    surface.srcPoint = {0, 0};
    std::int32_t x = 0, y = 0;
    platform::windowHost().cursorPos(x, y);
    platform::ScreenRect monitor;
    surface.windowPos =
        platform::windowHost().monitorAt(x, y, monitor) ? centredOn(monitor) : platform::Point{};
    installPageFlow();
}

void startWizard(void* window, platform::StatusChannel* statusChannel) {
    windowSurface.window = window;
    registerDeviceArrival(window);
    workerParameter = WorkerParameter{};
    workerParameter.window = statusChannel;
    workerParameter.quiet = 0;
    workerParameter.showPanel = 1;
    workerParameter.language = 1033;
    workerParameter.hidRunCount = 0;
    BuildWindowSurface();
}
