// setup.exe's command line as deployment tools write it: read whole before anything is decided,
// in any order, and never a box when a word on it asks for a run without questions.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/ExitStatus.h"
#include "run/WorkerLife.h"
#include "startup/SwitchTable.h"
#include "startup/Switches.h"
#include "startup/UninstallSwitches.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/WizardMachine.h"
#include "wizard/WizardState.h"

using namespace testpkg;

namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(CommandLine, EveryWordIsReadWhateverComesBeforeIt) {
    SetupSwitches s;
    EXPECT_FALSE(parseSwitches(u"/X /S /LOG=C:\\deploy.log /Y /WAIT=7", s));
    EXPECT_TRUE(s.silent);
    EXPECT_EQ(s.logPath, u"C:\\deploy.log");
    EXPECT_EQ(s.waitSeconds, 7u);
    EXPECT_TRUE(has(utf16ToUtf8(s.notUnderstood), "/X"));
    EXPECT_TRUE(has(utf16ToUtf8(s.notUnderstood), "/Y"));

    // The same switches in every order give the same run.
    std::vector<std::u16string> words = {u"/S", u"/NORESTART", u"/LANG=Deutsch", u"/HID=2",
                                         u"/LOG=\"C:\\Deploy Logs\\t.log\""};
    std::sort(words.begin(), words.end());
    int orders = 0;
    do {
        std::u16string line;
        for (const auto& w : words) line += w + u" ";
        line += u"/D=C:\\Program Files\\Touch";
        SetupSwitches o;
        ASSERT_TRUE(parseSwitches(line, o)) << utf16ToUtf8(line);
        EXPECT_TRUE(o.silent);
        EXPECT_EQ(o.language, 1031u);
        EXPECT_EQ(o.hid, 2);
        EXPECT_EQ(o.logPath, u"C:\\Deploy Logs\\t.log");
        EXPECT_EQ(std::u16string(viewOf(o.path)), u"C:\\Program Files\\Touch");
        ++orders;
    } while (std::next_permutation(words.begin(), words.end()));
    EXPECT_EQ(orders, 120);
}

TEST(CommandLine, TheHidCountIsOneToTen) {
    for (const char16_t* line : {u"/HID=0", u"/HID=-1", u"/HID=11", u"/HID=2147483647"}) {
        SetupSwitches s;
        EXPECT_FALSE(parseSwitches(line, s)) << utf16ToUtf8(line);
    }
    for (int n : {1, 10}) {
        SetupSwitches s;
        ASSERT_TRUE(parseSwitches(u"/HID=" + utf8ToUtf16(std::to_string(n)), s));
        EXPECT_EQ(s.hid, n);
    }
}

// Words other installers take for "silent" are not this one's switches: the run ends at once
// with status 5 and says why in the log, but never waits on a box, whatever their order.
TEST(CommandLine, AWordAskingForSilenceAnywhereMeansNoBoxEver) {
    struct Case {
        const char16_t* line;
        int status;
    };
    for (Case c : {Case{u"/NORESTART /S", kExitInstalled}, Case{u"/S /NORESTART", kExitInstalled},
                   Case{u"/VERYSILENT /SUPPRESSMSGBOXES /NORESTART", kExitBadCommandLine},
                   Case{u"-S", kExitBadCommandLine}, Case{u"/quiet", kExitBadCommandLine},
                   Case{u"/qn", kExitBadCommandLine}, Case{u"/X /S", kExitBadCommandLine},
                   Case{u"/LANG=French /silent", kExitBadCommandLine}}) {
        WizardMachine w;
        w.plugTouchDevice();
        w.start(c.line);
        w.runUntilClosed();
        EXPECT_TRUE(w.host.boxes.empty()) << utf16ToUtf8(c.line);
        EXPECT_EQ(w.host.count("show"), 0) << utf16ToUtf8(c.line);
        EXPECT_EQ(w.exitStatus(), c.status) << utf16ToUtf8(c.line);
        EXPECT_EQ(w.machine.files.hasFile(kLogPath), c.status == kExitInstalled);
        if (c.status == kExitBadCommandLine) {
            EXPECT_TRUE(has(w.logText(), "command line not understood")) << w.logText();
        }
    }
    // Without any such word a word not understood is shown in a box, with the usage.
    WizardMachine asked;
    asked.start(u"/X");
    ASSERT_EQ(asked.host.boxes.size(), 1u);
    EXPECT_EQ(asked.exitStatus(), kExitBadCommandLine);
}

TEST(CommandLine, UsageInASilentRunIsLoggedAndNothingCallsItInstalled) {
    WizardMachine w;
    w.plugTouchDevice();
    w.start(u"/S /?");
    EXPECT_TRUE(w.host.boxes.empty());
    EXPECT_EQ(w.exitStatus(), 0);
    std::string log = w.logText();
    EXPECT_TRUE(has(log, "/D=FOLDER")) << log;
    EXPECT_TRUE(has(log, "exit status 0 usage shown, nothing installed")) << log;
    EXPECT_FALSE(has(log, "exit status 0 installed")) << log;
    EXPECT_FALSE(w.machine.files.hasFile(kLogPath));
}

// A line that sets anything wins over script.ini and leaves the file exactly as it was, even
// one that lacks settings a run without switches would add.
TEST(CommandLine, ScriptIniIsNeverWrittenWhenASwitchSetsSomething) {
    const std::string ini = R"(<Unattended Lang="Deutsch" EndUserLicense="Agree"/>)";
    for (const char16_t* line :
         {u"/S /LANG=Korean", u"/PANEL", u"/HID=3", u"/D=C:\\Program Files"}) {
        WizardMachine w;
        w.settingsFile(ini);
        w.start(line);
        auto bytes = w.machine.files.contents(kScriptIni);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ini) << utf16ToUtf8(line);
    }
    // Without switches it is completed as ever.
    WizardMachine plain;
    plain.settingsFile(ini);
    plain.start(u"/LOG=C:\\Users\\Admin\\AppData\\Local\\Temp\\x.log");
    auto bytes = plain.machine.files.contents(kScriptIni);
    EXPECT_TRUE(has(std::string(bytes.begin(), bytes.end()), "HID=\"1\""));
}

// A log named on the command line that cannot be had leaves the run its default log, which
// says why; a missing folder is made.
TEST(CommandLine, ARunAlwaysHasALog) {
    WizardMachine refused;
    refused.machine.files.addFolder(u"D:");
    refused.machine.files.addFolder(u"C:\\Windows");
    refused.machine.files.addLink(u"D:\\Logs", u"C:\\Windows");
    refused.start(u"/S /WAIT=0 /LOG=D:\\Logs\\touch.log");
    EXPECT_EQ(refused.log.written.count(u"D:\\Logs\\touch.log"), 0u);
    std::string log = refused.logText();
    EXPECT_TRUE(has(log, "D:\\Logs\\touch.log")) << log;
    EXPECT_TRUE(has(log, "exit status 4")) << log;

    WizardMachine missing;
    missing.start(u"/S /WAIT=0 /LOG=C:\\nosuchdir\\x.log");
    ASSERT_EQ(missing.log.written.count(u"C:\\nosuchdir\\x.log"), 1u);
    EXPECT_TRUE(has(missing.log.written.at(u"C:\\nosuchdir\\x.log"), "exit status 4"));
}

// Machines prepared before their frames are fitted: /NODEVICE (or NoDevice="Yes" in script.ini)
// installs everything without waiting for the touch device, with the usual exit statuses.
TEST(CommandLine, NoDeviceInstallsWithoutTheTouchDevice) {
    WizardMachine w;
    w.start(u"/S /NODEVICE /WAIT=0");
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
    EXPECT_TRUE(w.machine.files.hasFile(kLogPath));
    EXPECT_TRUE(has(w.logText(), "without the touch device")) << w.logText();

    const std::string ini = R"(<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" )"
                            R"(HID="1" Path="C:\Program Files" NoDevice="Yes"/>)";
    WizardMachine file;
    file.settingsFile(ini);
    file.start();
    file.runUntilClosed();
    EXPECT_EQ(file.exitStatus(), kExitInstalled);
    EXPECT_EQ(file.host.count("show"), 0);
    EXPECT_TRUE(file.machine.files.hasFile(kLogPath));
    auto bytes = file.machine.files.contents(kScriptIni);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ini);

    // Without it a silent run still waits for the device, and a file without the attribute does
    // not get one.
    WizardMachine waits;
    waits.start(u"/S /WAIT=0");
    waits.runUntilClosed();
    EXPECT_EQ(waits.exitStatus(), kExitNoDevice);
}

// A run that ends without installing says why: no touch device names the ids looked for and the
// devices seen; a window closed before any installation says so.
TEST(CommandLine, ARunThatInstallsNothingSaysWhy) {
    WizardMachine w;
    w.usb.addController(0, u"ROOT_HUB_0").device(1, 0x046D, 0xC52B);
    w.start(u"/S /WAIT=0");
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitNoDevice);
    EXPECT_TRUE(has(w.logText(), "vendor 0xAAEC, any product")) << w.logText();
    EXPECT_TRUE(has(w.logText(), "046D:C52B")) << w.logText();

    WizardMachine closed;
    closed.start();
    ASSERT_TRUE(closed.tickUntil([] { return wizardState.inputEnabled; }));
    closeAction();
    closed.runUntilClosed();
    EXPECT_EQ(closed.exitStatus(), kExitNotStarted);
    EXPECT_TRUE(has(closed.logText(), "closed before any installation started: the close button"))
        << closed.logText();
}

// /D= names a base folder that need not exist: it is made (with a list only administrators may
// change, so that the folder judgement takes it), as other installers make theirs.
TEST(CommandLine, TheBaseFolderOfDIsMade) {
    WizardMachine w;
    w.machine.files.addFolder(u"D:");
    w.plugTouchDevice();
    w.start(u"/S /D=D:\\Tools\\Touch Frames");
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitInstalled) << w.logText();
    EXPECT_TRUE(w.machine.security.hasProtectedList(u"D:\\Tools"));
    EXPECT_TRUE(w.machine.files.hasFile(
        u"D:\\Tools\\Touch Frames\\Brenmark\\KorvelServerV6\\uninstall.log"));
}

// Uninstall.exe reads its line as setup.exe does; its own start is cut off the whole command
// line first.
TEST(CommandLine, TheUninstallerReadsItsLineAsSetupDoes) {
    UninstallSwitches quiet;
    EXPECT_FALSE(parseUninstallSwitches(u"/quiet", quiet));
    EXPECT_TRUE(quiet.noBoxes);
    EXPECT_FALSE(quiet.silent);
    UninstallSwitches tool;
    ASSERT_TRUE(parseUninstallSwitches(u"/NORESTART /LOG=\"C:\\Deploy Logs\\u.log\" /s", tool));
    EXPECT_TRUE(tool.silent && tool.noBoxes && tool.noRestart);
    EXPECT_EQ(tool.logPath, u"C:\\Deploy Logs\\u.log");
    UninstallSwitches copy;
    ASSERT_TRUE(parseUninstallSwitches(
        u"/RUN=\"C:\\Program Files\\Co\\Pr\\Uninstall.exe\" /PARENT=4242 /LOCKWAIT=0", copy));
    EXPECT_EQ(copy.runFor, u"C:\\Program Files\\Co\\Pr\\Uninstall.exe");
    EXPECT_EQ(copy.parent, 4242u);
    EXPECT_EQ(copy.lockWaitSeconds, 0u);
    for (const char16_t* bad : {u"/PARENT=0", u"/LOCKWAIT=86401", u"/RUN=", u"/S /X", u"-S"}) {
        UninstallSwitches s;
        EXPECT_FALSE(parseUninstallSwitches(bad, s)) << utf16ToUtf8(bad);
    }
    EXPECT_EQ(afterProgramName(u"\"C:\\Program Files\\Co\\Uninstall.exe\" /S"), u" /S");
    EXPECT_EQ(afterProgramName(u"C:\\Co\\Uninstall.exe /S"), u" /S");
    EXPECT_EQ(afterProgramName(u"\"C:\\unclosed"), u"");
}
