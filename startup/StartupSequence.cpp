#include "startup/StartupSequence.h"

#include <string>

#include "engine/ExitStatus.h"
#include "engine/ProductLock.h"
#include "engine/SetupLog.h"
#include "package/VersionResource.h"
#include "platform/Resources.h"
#include "platform/SystemInfo.h"
#include "platform/WindowHost.h"
#include "startup/PackageFacts.h"
#include "startup/Settings.h"
#include "startup/SettingsElement.h"
#include "startup/Switches.h"

std::u16string settingsPathBeside(std::u16string_view executablePath) {
    std::size_t cut = executablePath.rfind(u'\\');
    std::u16string folder(cut == std::u16string_view::npos ? std::u16string_view()
                                                           : executablePath.substr(0, cut));
    return folder + u"\\script.ini";
}

namespace {

RunOptions runOptionsTaken;

void takeRunOptions(const SetupSwitches& switches) {
    runOptionsTaken = RunOptions{};
    runOptionsTaken.allUsers = switches.allUsers;
    runOptionsTaken.allowDowngrade = switches.allowDowngrade;
    if (switches.hasEndpoint) {
        runOptionsTaken.hasEndpoint = true;
        runOptionsTaken.endpoint = switches.endpoint;
    } else if (settings && settings->hasEndpoint) {
        runOptionsTaken.hasEndpoint = true;
        runOptionsTaken.endpoint = settings->endpoint;
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
    } else if (runOptionsTaken.allUsers) {
        logEvent("per-machine installation (/ALLUSERS), run by", account);
    } else {
        logEvent("per-user installation for", account);
    }
    if (runOptionsTaken.hasEndpoint)
        logEvent("panel endpoint given", endpointText(runOptionsTaken.endpoint));
    if (runOptionsTaken.allowDowngrade) logEvent("an older version may replace a newer one");
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
void showUsage(const SetupSwitches& switches, bool understood, StartupOutcome& outcome) {
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
    outcome = {false, status, understood ? "usage shown, nothing installed" : nullptr};
}

}  // namespace

const RunOptions& runOptions() {
    return runOptionsTaken;
}

StartupOutcome runStartupSequence(std::u16string_view executablePath,
                                  std::u16string_view commandLine) {
    StartupOutcome outcome;
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
        showUsage(switches, understood, outcome);
        return outcome;
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
        return {false, kExitAnotherRun, nullptr};
    }
    return outcome;
}
