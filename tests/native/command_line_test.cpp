// setup.exe's command line as deployment tools write it: read whole before anything is decided,
// in any order, and never a box when a word on it asks for a run without questions.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/ExitStatus.h"
#include "startup/Switches.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/WizardMachine.h"

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
