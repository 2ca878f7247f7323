// Deployment tools' runs from start to exit status: as LocalSystem, with /ALLUSERS, with an
// endpoint to set, over a newer version; what each leaves on the machine and says in the log.
#include <gtest/gtest.h>

#include "engine/ExitStatus.h"
#include "engine/RegistryPaths.h"
#include "startup/Switches.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"
#include "tests/support/WizardMachine.h"
#include "wizard/Records.h"
#include "wizard/StatusLines.h"

using namespace testpkg;
using platform::RegistryRoot;

namespace {

const std::u16string kPanel = kProductFolder + u"\\KorvelPanel.exe";
const std::u16string kCommonMenu =
    u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Brenmark\\KorvelServerV6";
const std::u16string kOwnMenu = u"C:\\Users\\admin\\Start Menu\\Programs\\Brenmark";
const std::u16string kPanelConfig = u"C:\\Users\\Public\\Documents\\Vantrel\\PanelConfig.ini";

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

void asLocalSystem(FakeMachine& m) {
    m.system.localSystem = true;
    m.system.account = u"NT AUTHORITY\\SYSTEM";
    m.processes.thisAccount = fake::FakeProcesses::kLocalSystem;
}

std::string panelConfig(FakeMachine& m) {
    std::vector<std::uint8_t> bytes = m.files.contents(kPanelConfig);
    return std::string(bytes.begin(), bytes.end());
}

// A silent run with the device there; its exit status.
int silentRun(WizardMachine& w, std::u16string_view commandLine = u"/S") {
    w.plugTouchDevice();
    w.start(commandLine);
    w.runUntilClosed();
    return w.exitStatus();
}

}  // namespace

TEST(Switches, AllUsersEndpointAndDowngradeAreReadAndABadEndpointIsRefused) {
    SetupSwitches s;
    ASSERT_TRUE(parseSwitches(u"/S /allusers /Endpoint=10.20.30.40:7000 /AllowDowngrade", s));
    EXPECT_TRUE(s.allUsers);
    EXPECT_TRUE(s.allowDowngrade);
    ASSERT_TRUE(s.hasEndpoint);
    EXPECT_EQ(endpointText(s.endpoint), u"10.20.30.40:7000");
    // Alone, none of them makes a run unattended.
    SetupSwitches quiet;
    ASSERT_TRUE(parseSwitches(u"/ALLUSERS /ENDPOINT=127.0.0.1:1 /ALLOWDOWNGRADE", quiet));
    EXPECT_FALSE(quiet.setsAnything());
    for (const char16_t* line :
         {u"/ENDPOINT=", u"/ENDPOINT=10.0.0.1", u"/ENDPOINT=10.0.0.1:0",
          u"/ENDPOINT=10.0.0.1:65536", u"/ENDPOINT=host.example:80", u"/ENDPOINT=10.0.0.256:80",
          u"/ENDPOINT=10.0.01.1:80", u"/ENDPOINT=10.0.0.1:080", u"/ENDPOINT=1.2.3:4",
          u"/ENDPOINT=1.2.3.4.5:6", u"/ENDPOINT=-1.2.3.4:5", u"/ALLUSERS=1"}) {
        SetupSwitches bad;
        EXPECT_FALSE(parseSwitches(line, bad)) << utf16ToUtf8(line);
    }
}

// Intune and Configuration Manager run installers as LocalSystem: its own Start menu, desktop
// and HKCU are no user's, and a program it starts runs in session 0 where nobody sees it.
TEST(FleetRun, ARunAsLocalSystemIsPerMachineAndNeverStartsThePanelAsSystem) {
    WizardMachine w;
    asLocalSystem(w.machine);
    EXPECT_EQ(silentRun(w), kExitInstalled);
    EXPECT_EQ(workerParameter.perMachine, 1);
    FakeMachine& m = w.machine;
    EXPECT_TRUE(m.files.hasFile(kCommonMenu + u"\\KorvelPanel.lnk"));
    EXPECT_TRUE(m.files.hasFile(kCommonMenu + u"\\Uninstall.lnk"));
    EXPECT_TRUE(m.files.hasFile(u"C:\\Users\\Public\\Desktop\\KorvelPanel.lnk"));
    EXPECT_FALSE(m.files.hasFolder(kOwnMenu));
    EXPECT_FALSE(m.files.hasFile(u"C:\\Users\\admin\\Desktop\\KorvelPanel.lnk"));
    EXPECT_EQ(m.registry.value(RegistryRoot::LocalMachine, kRunKeyPath, u"KorvelPanel"),
              fake::FakeRegistry::stringValue(u"\"" + kPanel + u"\" -h"));
    EXPECT_FALSE(m.registry.value(RegistryRoot::CurrentUser, kRunKeyPath, u"KorvelPanel"));
    EXPECT_EQ(m.processes.runningWithImage(kPanel), 0);
    std::string log = w.logText();
    EXPECT_TRUE(has(log, "per-machine installation: running as LocalSystem")) << log;
    EXPECT_TRUE(has(log, "not started as LocalSystem")) << log;
}

TEST(FleetRun, AnAdministratorsRunIsPerUserUnlessAllUsersIsAsked) {
    for (bool allUsers : {false, true}) {
        SCOPED_TRACE(allUsers);
        WizardMachine w;
        EXPECT_EQ(silentRun(w, allUsers ? u"/S /ALLUSERS" : u"/S"), kExitInstalled);
        FakeMachine& m = w.machine;
        EXPECT_EQ(m.files.hasFile(kCommonMenu + u"\\KorvelPanel.lnk"), allUsers);
        EXPECT_EQ(m.files.hasFolder(kOwnMenu), !allUsers);
        EXPECT_EQ(bool(m.registry.value(RegistryRoot::LocalMachine, kRunKeyPath, u"KorvelPanel")),
                  allUsers);
        EXPECT_EQ(bool(m.registry.value(RegistryRoot::CurrentUser, kRunKeyPath, u"KorvelPanel")),
                  !allUsers);
        // An administrator sees the panel at once, per machine or not.
        EXPECT_EQ(m.processes.runningWithImage(kPanel), 1);
        EXPECT_TRUE(has(w.logText(), allUsers ? "per-machine installation (/ALLUSERS)"
                                              : "per-user installation for PC\\admin"));
    }
}

TEST(FleetRun, AnEndpointComesFromTheCommandLineOrScriptIniAndAnUpgradeKeepsTheEarlierOne) {
    WizardMachine w;
    EXPECT_EQ(silentRun(w, u"/S /ENDPOINT=10.20.30.40:7000"), kExitInstalled);
    EXPECT_TRUE(has(panelConfig(w.machine), "IP=\"10.20.30.40\" Port=\"7000\""))
        << panelConfig(w.machine);
    EXPECT_TRUE(has(w.logText(), "panel endpoint given 10.20.30.40:7000"));

    // The next run gives none: the upgrade keeps it.
    WizardMachine again;
    again.machine.files.addFile(kPanelConfig, w.machine.files.contents(kPanelConfig));
    again.machine.files.addFile(u"C:\\Users\\Public\\Documents\\Vantrel\\ProductIdentity.txt",
                                bytesOf("KorvelServerV5\r\n"));
    EXPECT_EQ(silentRun(again), kExitInstalled);
    EXPECT_TRUE(has(panelConfig(again.machine), "IP=\"10.20.30.40\" Port=\"7000\""));
    EXPECT_TRUE(has(again.logText(), "panel endpoint kept from the earlier PanelConfig.ini"));

    // script.ini's Endpoint, which completing the file never adds.
    WizardMachine ini;
    ini.settingsFile(R"(<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" )"
                     R"(HID="1" Path="C:\Program Files" Endpoint="192.168.1.5:6600"/>)");
    EXPECT_EQ(silentRun(ini, u""), kExitInstalled);
    EXPECT_TRUE(has(panelConfig(ini.machine), "IP=\"192.168.1.5\" Port=\"6600\""));

    // Without either, a fresh installation writes the default; an unreadable one installs
    // nothing rather than guess.
    WizardMachine fresh;
    EXPECT_EQ(silentRun(fresh), kExitInstalled);
    EXPECT_TRUE(has(panelConfig(fresh.machine), "IP=\"127.0.0.1\" Port=\"6550\""));
    WizardMachine bad;
    bad.settingsFile(R"(<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" )"
                     R"(HID="1" Path="C:\Program Files" Endpoint="panel.example:80"/>)");
    EXPECT_EQ(silentRun(bad, u""), kExitRolledBack);
    EXPECT_FALSE(bad.machine.files.hasFile(kLogPath));
}

// The demo product at `version`, installed on the machine by its worker.
void installDemoVersion(FakeMachine&, const char16_t* version) {
    LoadedConfig loaded;
    ASSERT_TRUE(loaded.load(
        withIdentity(shippedPackage(), identityOf(u"KorvelServerV5", u"Vantrel", version))));
    WorkerParameter p;
    copyText(p.installRoot, u"C:\\Program Files");
    startInstallWorker(loaded.config, p);
    ASSERT_TRUE(loaded.config.completed);
}

// setup.exe carrying the demo product at `version`.
void carryVersion(WizardMachine& w, const char16_t* version) {
    w.resources.add(
        199, u"RES_DATA",
        withIdentity(shippedPackage(), identityOf(u"KorvelServerV5", u"Vantrel", version)));
}

TEST(FleetRun, AnOlderVersionNeverSilentlyReplacesANewerOne) {
    WizardMachine w;
    installDemoVersion(w.machine, u"7.0");
    carryVersion(w, u"6.0.2");
    MachineSnapshot before = w.machine.snapshot();
    EXPECT_EQ(silentRun(w), kExitNewerVersionInstalled);
    MachineSnapshot after = w.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
    std::string log = w.logText();
    EXPECT_TRUE(has(log, "version being installed 6.0.2")) << log;
    EXPECT_TRUE(has(log, "version found 7.0")) << log;
    EXPECT_TRUE(has(log, "setup.exe version")) << log;
    EXPECT_TRUE(has(log, "ST_NEWER_VERSION")) << log;
    EXPECT_TRUE(has(log, "exit status 1638")) << log;

    // Told to, it does; the same version or a newer one never needs telling.
    for (const char16_t* line : {u"/S /ALLOWDOWNGRADE", u"/S"}) {
        bool told = std::u16string_view(line).size() > 2;
        const char16_t* carried = told ? u"6.0.2" : u"7.0.1";
        WizardMachine allowed;
        installDemoVersion(allowed.machine, u"7.0");
        carryVersion(allowed, carried);
        EXPECT_EQ(silentRun(allowed, line), kExitInstalled) << utf16ToUtf8(line);
        EXPECT_EQ(allowed.machine.registry.value(
                      RegistryRoot::LocalMachine,
                      u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KorvelServerV5",
                      u"DisplayVersion"),
                  fake::FakeRegistry::stringValue(carried));
    }
}

// Interactively the window shows it in a box naming both versions, in the run's language.
TEST(FleetRun, ANewerVersionIsNamedWithBothVersionsInABox) {
    InstallHarness h(
        withIdentity(shippedPackage(), identityOf(u"KorvelServerV5", u"Vantrel", u"6.0.2")));
    installDemoVersion(h.machine, u"7.0");
    h.parameter.language = 1031;
    EXPECT_FALSE(h.install());
    ASSERT_EQ(h.window.codes(), (std::vector<std::uint32_t>{ST_NEWER_VERSION, ST_WORKER_DONE}));
    const std::u16string& text = h.window.messages[0].text;
    EXPECT_NE(text.find(u"KorvelServerV6 7.0 ist installiert"), std::u16string::npos);
    EXPECT_NE(text.find(u"6.0.2"), std::u16string::npos);
    EXPECT_NE(text.find(u"/ALLOWDOWNGRADE"), std::u16string::npos);
    EXPECT_TRUE(h.package.config.downgradeRefused);
    StatusEffect effect = statusEffect(ST_NEWER_VERSION, text, 1031);
    EXPECT_EQ(effect.kind, StatusEffect::ErrorBox);
    EXPECT_EQ(effect.text, text);
}
