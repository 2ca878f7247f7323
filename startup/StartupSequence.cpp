#include "startup/StartupSequence.h"

#include <string>

#include "device/DeviceArrival.h"
#include "engine/ExitStatus.h"
#include "engine/ProductLock.h"
#include "engine/SetupLog.h"
#include "package/VersionResource.h"
#include "platform/Resources.h"
#include "platform/SystemInfo.h"
#include "startup/InstallerInit.h"
#include "startup/Settings.h"
#include "startup/SettingsElement.h"
#include "startup/Switches.h"
#include "wizard/DisplayScale.h"
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

namespace {

// How to install that holds in the wizard as well: from the command line and script.ini, handed
// to the worker's parameter when the wizard starts.
struct RunOptions {
    bool allUsers = false;
    bool allowDowngrade = false;
    bool hasEndpoint = false;
    Endpoint endpoint;
};
RunOptions runOptions;

void takeRunOptions(const SetupSwitches& switches) {
    runOptions = RunOptions{};
    runOptions.allUsers = switches.allUsers;
    runOptions.allowDowngrade = switches.allowDowngrade;
    if (switches.hasEndpoint) {
        runOptions.hasEndpoint = true;
        runOptions.endpoint = switches.endpoint;
    } else if (settings && settings->hasEndpoint) {
        runOptions.hasEndpoint = true;
        runOptions.endpoint = settings->endpoint;
    }
}

// setup.exe's own version, from its version resource ("6.0.2.0"); empty when it has none.
std::u16string ownVersion() {
    platform::ResourceView view;
    if (!platform::os().resources || !platform::resources().lock(1, u"#16", view)) return {};
    pe::VersionInfo info;
    std::string reason;
    bool read = pe::readVersionResource({view.data, view.size}, info, reason);
    platform::resources().release(view);
    if (!read) return {};
    std::string text;
    for (std::uint16_t part : info.fileVersion) {
        if (!text.empty()) text += '.';
        text += std::to_string(part);
    }
    return utf8ToUtf16(text);
}

// For whom the installation would be made, and why.
void logScope() {
    std::u16string account(1, u'?'), named;
    if (platform::systemInfo().accountName(named)) account.swap(named);
    if (platform::systemInfo().runsAsLocalSystem()) {
        logEvent("per-machine installation: running as LocalSystem", account);
    } else if (runOptions.allUsers) {
        logEvent("per-machine installation (/ALLUSERS), run by", account);
    } else {
        logEvent("per-user installation for", account);
    }
    if (runOptions.hasEndpoint) logEvent("panel endpoint given", endpointText(runOptions.endpoint));
    if (runOptions.allowDowngrade) logEvent("an older version may replace a newer one");
}

void applySwitches(const SetupSwitches& switches) {
    if (!settings && switches.setsAnything()) {
        settings = std::make_unique<UnattendedSettings>();
        setDefaultSettings(*settings);
    }
    if (!settings) return;
    UnattendedSettings& s = *settings;
    s.silent = switches.silent;
    s.deviceWaitSeconds = switches.waitSeconds;
    if (switches.silent) s.licenceAgreed = true;
    if (switches.hasLanguage) s.language = switches.language;
    if (switches.hasHid) s.hidMode = switches.hid;
    if (switches.panel) s.showPanel = true;
    if (switches.noDevice) s.noDevice = true;
    if (switches.hasPath) {
        copyText(s.installBase, viewOf(switches.path));
        s.pathUnusable = false;
        s.makeBase = true;
    }
    if (switches.hasEndpoint) {
        s.hasEndpoint = true;
        s.endpoint = switches.endpoint;
        s.endpointUnusable = false;
    }
}

void openLog(const SetupSwitches& switches, const std::u16string& product) {
    openRunLog(switches.logPath, product, u"setup");
}

void logSettings(const std::u16string& settingsPath, bool fileRead, const std::string& refusal) {
    if (!refusal.empty()) {
        logEvent("settings file not read: it " + refusal, settingsPath);
    } else {
        logEvent(fileRead ? "settings file read" : "no settings file", settingsPath);
    }
    if (!settings) {
        logEvent("interactive run");
        return;
    }
    const UnattendedSettings& s = *settings;
    std::string how = s.silent ? "silent run" : "unattended run";
    how += ", language " + std::to_string(s.language) + ", licence " +
           (s.licenceAgreed ? "agreed" : "not agreed") + ", panel " +
           (s.showPanel ? "shown" : "hidden") + ", HID " + std::to_string(s.hidMode) +
           ", base folder";
    logEvent(how, viewOf(s.installBase));
    if (s.noDevice)
        logEvent("installing without the touch device (the machine is prepared for it)");
    if (s.pathUnusable)
        logEvent("error: the settings file's Path cannot be read in this code page");
    if (s.endpointUnusable) logEvent("error: the settings file's Endpoint is no HOST:PORT address");
}

// The usage, for /? and a line that was not understood: in a box, or only in the log when the
// line asks for a run without questions (nobody would answer the box, and a deployment tool
// would wait for ever).
int showUsage(const SetupSwitches& switches, bool understood) {
    int status = understood ? kExitInstalled : kExitBadCommandLine;
    if (!understood) logEvent("command line not understood", switches.notUnderstood);
    std::u16string text =
        understood ? std::u16string(kUsageText)
                   : u"Not understood: " + switches.notUnderstood + u"\r\n\r\n" + kUsageText;
    if (switches.noBoxes) {
        logEvent("usage", kUsageText);
    } else {
        platform::windowHost().messageBox(nullptr, text.c_str(), u"setup.exe");
    }
    return endRun(status, understood ? "usage shown, nothing installed" : nullptr);
}

}  // namespace

int prepareWizard(std::u16string_view executablePath, std::u16string_view commandLine) {
    SetupSwitches switches;
    bool understood = parseSwitches(commandLine, switches);
    auto record = std::make_unique<UnattendedSettings>();
    std::u16string path = settingsPathBeside(executablePath);
    // A line that sets anything wins over the file, which it leaves as it is.
    std::string refusal;
    bool fileRead = readSettingsFile(path.c_str(), *record, !switches.setsAnything(), &refusal);
    settings = fileRead ? std::move(record) : nullptr;
    applySwitches(switches);
    std::u16string product;
    ProductIdentity identity = demoIdentity();
    readPackageFacts(product, identity);
    openLog(switches, product);
    logEvent("setup started", executablePath);
    std::u16string version = ownVersion();
    logEvent("setup.exe version", version.empty() ? u"none named" : std::u16string_view(version));
    if (!commandLine.empty()) logEvent("command line", commandLine);
    if (!understood || switches.help) {
        settings.reset();
        return showUsage(switches, understood);
    }
    logSettings(path, fileRead, refusal);
    takeRunOptions(switches);
    logScope();
    // A silent run waits here, before anything is shown or changed, for another installation
    // or removal of the product to end; a run that may show its window takes the lock when its
    // installation starts.
    if (settings && settings->silent &&
        lockProduct(identity, switches.lockWaitSeconds) == ProductLockResult::Busy) {
        settings.reset();
        return endRun(kExitAnotherRun);
    }

    wizardState = WizardState{};
    WindowSurface& surface = windowSurface;
    surface.srcPoint = {0, 0};
    placeWindow(kDesignDpi);
    installPageFlow();
    return kRunGoesOn;
}

int endRun(int status, const char* meaning) {
    logEvent("exit status " + std::to_string(status),
             utf8ToUtf16(meaning ? meaning : exitStatusMeaning(status)));
    closeSetupLog();
    unlockProduct();
    return status;
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
        runOptions.allUsers || platform::systemInfo().runsAsLocalSystem() ? 1 : 0;
    workerParameter.allowDowngrade = runOptions.allowDowngrade ? 1 : 0;
    workerParameter.hasEndpoint = runOptions.hasEndpoint ? 1 : 0;
    workerParameter.endpoint = runOptions.endpoint;
    BuildWindowSurface();
}
