// Runs that nobody watches: the command line, the silent device wait, errors that go to the
// log instead of a box, and the exit status a deployment tool reads.
#include <gtest/gtest.h>

#include "device/DeviceArrival.h"
#include "run/DeviceWait.h"
#include "run/RunEnd.h"
#include "startup/Settings.h"
#include "startup/Switches.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"
#include "tests/support/WizardMachine.h"
#include "wizard/Records.h"
#include "wizard/WizardState.h"

using namespace testpkg;

namespace {

const char* const kAgreed = R"(<Unattended Lang="English" EndUserLicense="Agree" )"
                            R"(ShowPanel="No" HID="1" Path="C:\Program Files"/>)";

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A folder in the way of the first file, with something in it so the rollback keeps it.
void blockFirstFile(WizardMachine& w) {
    const std::u16string product = u"C:\\Program Files\\Brenmark\\KorvelServerV6";
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark");
    w.machine.files.addFolder(product);
    w.machine.files.addFolder(product + u"\\KorvelPanel.exe");
    w.machine.files.addFile(product + u"\\KorvelPanel.exe\\x");
}

// The arrival notice of a device interface as the system lays it out: size, type, reserved,
// class GUID, the NUL-terminated name.
std::vector<std::uint8_t> arrivalOf(const std::u16string& name) {
    std::vector<std::uint8_t> b(28, 0);
    b[4] = std::uint8_t(kDeviceTypeInterface);
    for (char16_t c : name + u'\0') {
        b.push_back(std::uint8_t(c));
        b.push_back(std::uint8_t(c >> 8));
    }
    b[0] = std::uint8_t(b.size());
    return b;
}

}  // namespace

TEST(Switches, TheUsualConventionsAreRead) {
    SetupSwitches s;
    ASSERT_TRUE(
        parseSwitches(u"  /s /lang=Korean /HID=7 /Panel /LOG=\"C:\\My Logs\\a.log\" "
                      u"/WAIT=30 /D=C:\\Program Files\\My Touch  ",
                      s));
    EXPECT_TRUE(s.silent);
    EXPECT_EQ(s.language, 1042u);
    EXPECT_EQ(s.hid, 7);
    EXPECT_TRUE(s.panel);
    EXPECT_EQ(s.logPath, u"C:\\My Logs\\a.log");
    EXPECT_EQ(s.waitSeconds, 30u);
    EXPECT_EQ(std::u16string(viewOf(s.path)), u"C:\\Program Files\\My Touch");
    // /D= takes the rest, switches included; closing backslashes go except a root's own.
    SetupSwitches d;
    ASSERT_TRUE(parseSwitches(u"/D=D:\\a /S b\\\\", d));
    EXPECT_EQ(std::u16string(viewOf(d.path)), u"D:\\a /S b");
    EXPECT_FALSE(d.silent);
    SetupSwitches root;
    ASSERT_TRUE(parseSwitches(u"/D=\"E:\\\"", root));
    EXPECT_EQ(std::u16string(viewOf(root.path)), u"E:\\");
    // Quoted whole, as a tool that quotes every argument with a blank passes it.
    SetupSwitches whole;
    ASSERT_TRUE(parseSwitches(u"/S \"/D=C:\\Program Files\\My Touch\"", whole));
    EXPECT_EQ(std::u16string(viewOf(whole.path)), u"C:\\Program Files\\My Touch");
    SetupSwitches none;
    EXPECT_TRUE(parseSwitches(u"", none));
    EXPECT_FALSE(none.setsAnything());
    EXPECT_EQ(none.waitSeconds, kDefaultDeviceWaitSeconds);
}

TEST(Switches, WhatIsNotUnderstoodIsNamedNeverGuessed) {
    for (const char16_t* line :
         {u"/X", u"/S /LANG=Klingon", u"/HID=two", u"/HID=3x", u"/WAIT=86401", u"/WAIT=-1",
          u"/LOG=", u"/D=", u"/D=   ", u"setup", u"/S/D=C:\\x"}) {
        SetupSwitches s;
        EXPECT_FALSE(parseSwitches(line, s)) << utf16ToUtf8(line);
        EXPECT_FALSE(s.notUnderstood.empty()) << utf16ToUtf8(line);
    }
    SetupSwitches tooLong;
    std::u16string path = u"/D=C:\\" + std::u16string(260, u'a');
    EXPECT_FALSE(parseSwitches(path, tooLong));
}

// The README promises a wait of at most a day: a day is taken, a second more is refused.
TEST(Switches, TheLongestDeviceWaitIsADay) {
    SetupSwitches day;
    ASSERT_TRUE(parseSwitches(u"/S /WAIT=86400", day));
    EXPECT_EQ(day.waitSeconds, 86400u);
    SetupSwitches more;
    EXPECT_FALSE(parseSwitches(u"/S /WAIT=86401", more));
    EXPECT_EQ(more.notUnderstood, u"/WAIT=86401");
    SetupSwitches none;
    ASSERT_TRUE(parseSwitches(u"/S /WAIT=0", none));
    EXPECT_EQ(none.waitSeconds, 0u);
}

TEST(UnattendedRun, AnErrorWithoutAWindowOpensNoBoxRollsBackAndIsLogged) {
    WizardMachine w;
    w.settingsFile(kAgreed);
    blockFirstFile(w);
    w.machine.processes.program(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe",
                                {});
    w.plugTouchDevice();
    w.log.error = 5;
    w.start();
    w.runUntilClosed();
    EXPECT_TRUE(w.host.boxes.empty());
    EXPECT_EQ(w.host.count("show"), 0);
    EXPECT_EQ(w.exitStatus(), kExitRolledBack);
    std::string log = w.logText();
    EXPECT_TRUE(has(log,
                    "error ST_FILE_ERROR (11) C:\\Program Files\\Brenmark\\KorvelServerV6"
                    "\\KorvelPanel.exe (Windows error 5)"))
        << log;
    EXPECT_TRUE(has(log, "ST_CANCELLED (14)"));
    EXPECT_TRUE(has(log, "exit status 1 not installed"));
    // Every line is stamped.
    EXPECT_EQ(log.substr(0, 24), "2026-12-09 08:30:05.042 ");
}

TEST(UnattendedRun, ASilentRunWithoutTheDeviceWaitsItsTimeAndEndsWithItsOwnStatus) {
    WizardMachine w;
    w.start(u"/S /WAIT=5");
    EXPECT_EQ(w.host.count("show"), 0);
    EXPECT_EQ(w.runUntilClosed(), 5);
    EXPECT_EQ(w.exitStatus(), kExitNoDevice);
    EXPECT_EQ(w.host.count("show"), 0);
    EXPECT_TRUE(w.host.boxes.empty());
    EXPECT_FALSE(w.machine.files.hasFile(kLogPath));
    EXPECT_TRUE(has(w.logText(), "no touch device within the wait"));
    EXPECT_TRUE(has(w.logText(), "exit status 4"));

    WizardMachine zero;
    zero.start(u"/S /WAIT=0");
    EXPECT_TRUE(zero.closed());
    EXPECT_EQ(zero.exitStatus(), kExitNoDevice);
}

// The wait looks once a second; a notice must not wait for the next look. Each branch proves
// its own way in: the notice installs before any further tick, the look at the next tick.
TEST(UnattendedRun, ADeviceThatArrivesDuringTheSilentWaitIsInstalledFor) {
    for (bool notice : {true, false}) {
        WizardMachine w;
        w.start(u"/S");
        w.tick();
        w.tick();
        ASSERT_TRUE(w.host.timers.count(kDeviceWaitTimer)) << notice;
        w.plugTouchDevice();
        ASSERT_FALSE(w.machine.files.hasFile(kLogPath)) << notice;
        if (notice) {
            auto arrival = arrivalOf(u"\\\\?\\USB#VID_AAEC&PID_0C20#5&1a2b3c4d&0&1#{a5dcbf10}");
            onDeviceChange(kDeviceArrival, arrival.data(), arrival.size());
            EXPECT_TRUE(w.machine.files.hasFile(kLogPath)) << "installed at the notice";
        } else {
            w.tick();
            EXPECT_TRUE(w.machine.files.hasFile(kLogPath)) << "installed at the next look";
        }
        w.runUntilClosed();
        EXPECT_EQ(w.exitStatus(), kExitInstalled) << notice;
        EXPECT_EQ(w.host.count("show"), 0);
        EXPECT_EQ(workerParameter.quiet, 1);
        EXPECT_FALSE(w.host.timers.count(kDeviceWaitTimer));
        EXPECT_TRUE(has(w.logText(), "exit status 0")) << notice;
    }
}

// Every setting the file gives is overruled by the switch that names it, and the file is left
// exactly as it was, though it lacks HID and a run without switches would complete it.
TEST(UnattendedRun, TheCommandLineWinsOverScriptIniAndNeverRewritesIt) {
    WizardMachine w;
    const std::string ini = R"(<Unattended Lang="Deutsch" EndUserLicense="Disagree" )"
                            R"(ShowPanel="No" Path="C:\Program Files"/>)";
    w.settingsFile(ini);
    w.machine.files.addFolder(u"D:");
    w.machine.files.addFolder(u"D:\\My Apps");
    w.machine.files.addFolder(u"D:\\My Apps\\Touch Tools");
    w.plugTouchDevice();
    w.start(u"/LANG=Korean /HID=2 /PANEL /S /D=D:\\My Apps\\Touch Tools");
    EXPECT_EQ(workerParameter.language, 1042u);
    EXPECT_EQ(workerParameter.hidRunCount, 2);
    EXPECT_EQ(workerParameter.showPanel, 1);
    EXPECT_EQ(std::u16string(viewOf(workerParameter.installRoot)), u"D:\\My Apps\\Touch Tools");
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
    EXPECT_TRUE(
        w.machine.files.hasFile(u"D:\\My Apps\\Touch Tools\\Brenmark\\KorvelServerV6"
                                u"\\uninstall.log"));
    EXPECT_FALSE(w.machine.files.hasFile(kLogPath)) << "nothing went to the file's Path";
    EXPECT_TRUE(has(w.logText(), "silent run, language 1042, licence agreed, panel shown, HID 2"))
        << w.logText();
    auto bytes = w.machine.files.contents(kScriptIni);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ini) << "script.ini was rewritten";
    for (const std::string& call : fake::faults().trace()) {
        EXPECT_EQ(call.find("saveXml"), std::string::npos) << call;
    }
}

TEST(UnattendedRun, SwitchesWithoutScriptIniMakeAnUnattendedRunWithoutWritingOne) {
    WizardMachine w;
    w.start(u"/LANG=Italiano");
    // Not silent and no licence answer: the licence page in Italian, as a script.ini would do.
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    EXPECT_EQ(workerParameter.language, 1040u);
    EXPECT_FALSE(w.machine.files.hasFile(kScriptIni));
}

TEST(UnattendedRun, UsageIsABoxOnlyWhenNotSilentAndABadSwitchHasItsOwnStatus) {
    struct Case {
        const char16_t* line;
        int status;
        bool box;
    };
    for (Case c : {Case{u"/?", kExitInstalled, true}, Case{u"/S /?", kExitInstalled, false},
                   Case{u"/Install", kExitBadCommandLine, true},
                   Case{u"/Silent", kExitBadCommandLine, false},
                   Case{u"/S /LANG=French", kExitBadCommandLine, false}}) {
        WizardMachine w;
        w.plugTouchDevice();
        w.start(c.line);
        EXPECT_TRUE(w.closed()) << utf16ToUtf8(c.line);
        EXPECT_EQ(w.exitStatus(), c.status) << utf16ToUtf8(c.line);
        ASSERT_EQ(w.host.boxes.size(), c.box ? 1u : 0u) << utf16ToUtf8(c.line);
        if (c.box) {
            EXPECT_NE(w.host.boxes[0].text.find(u"/D=FOLDER"), std::u16string::npos);
        }
        // Nothing was installed, not even with the device there.
        EXPECT_FALSE(w.machine.files.hasFile(kLogPath));
        EXPECT_TRUE(has(w.logText(), "exit status " + std::to_string(c.status)));
    }
}

// A failed driver outweighs a restart asked for, whichever set asks and whichever fails: a
// deployment tool that reads 3010 restarts the machine and reports success.
TEST(UnattendedRun, DriverScriptsSetTheExitStatusOfAnInstalledRun) {
    struct Case {
        std::uint32_t hid, usb;
        int status;
    };
    for (Case c : {Case{0, 0, kExitInstalled}, Case{0, 3010, kExitRestartRequired},
                   Case{1641, 0, kExitRestartRequired}, Case{0, 1603, kExitDriverFailed},
                   Case{3010, 1603, kExitDriverFailed}, Case{1, 1641, kExitDriverFailed}}) {
        WizardMachine w;
        const std::u16string driver = u"C:\\Program Files\\Brenmark\\KorvelServerV6\\driver\\";
        fake::FakeProcesses::Behaviour hid, usb;
        hid.exitCode = c.hid;
        usb.exitCode = c.usb;
        w.machine.processes.program(driver + u"InstallHIDDriverX64.bat", hid);
        w.machine.processes.program(driver + u"InstallUsbDriverX64.bat", usb);
        w.plugTouchDevice();
        w.start(u"/S");
        w.runUntilClosed();
        std::string codes = std::to_string(c.hid) + " " + std::to_string(c.usb);
        EXPECT_EQ(w.exitStatus(), c.status) << codes;
        EXPECT_TRUE(has(w.logText(), "driver script exit code " + std::to_string(c.usb))) << codes;
        EXPECT_TRUE(has(w.logText(), "exit status " + std::to_string(c.status))) << codes;
    }
}

// A package that names its own devices is installed for them alone: the frames of the demo
// vendor, or another product of the same vendor, leave it waiting until the wait is over.
TEST(UnattendedRun, OnlyTheDevicesThePackageNamesStartTheInstallation) {
    ProductIdentity identity = demoIdentity();
    identity.touch.vendor = 0x1234;
    identity.touch.productCount = 1;
    identity.touch.products[0] = 0x0042;
    struct Case {
        std::uint16_t vendor, product;
        int exit;
    } cases[] = {{0xAAEC, 0x0001, kExitNoDevice},
                 {0x1234, 0x0043, kExitNoDevice},
                 {0x1234, 0x0042, kExitInstalled}};
    for (const Case& c : cases) {
        WizardMachine w;
        w.resources.add(199, u"RES_DATA", withIdentity(shippedPackage(), identity));
        w.usb.addController(0, u"ROOT_HUB_0").device(1, c.vendor, c.product);
        w.start(u"/S /WAIT=3");
        w.runUntilClosed();
        EXPECT_EQ(w.exitStatus(), c.exit) << std::hex << c.vendor << ":" << c.product;
        EXPECT_EQ(w.machine.files.hasFile(kLogPath), c.exit == kExitInstalled);
    }
    // Plugged during the wait, the product's own device is found by the next look.
    WizardMachine w;
    w.resources.add(199, u"RES_DATA", withIdentity(shippedPackage(), identity));
    w.start(u"/S");
    w.tick();
    w.usb.addController(0, u"ROOT_HUB_0").device(1, 0x1234, 0x0042);
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
}
