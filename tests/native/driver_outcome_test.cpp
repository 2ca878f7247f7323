// What the driver scripts' exit codes make of an installation, and where they run: the codes
// are logged and set the exit status; on 64-bit Windows every driver script (install,
// uninstall before it, rollback, later removal) runs outside the 32-bit redirection.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/SetupLog.h"
#include "platform/fake/FakeLogFile.h"
#include "tests/support/InstallHarness.h"

using namespace testpkg;

namespace {

std::u16string at(const std::u16string& rel) {
    return kProductFolder + u"\\" + rel;
}

// The harness with a setup log open in the temporary folder.
struct LoggedInstall : InstallHarness {
    fake::FakeLogFile log{machine.files};
    const std::u16string logPath = log.temp + u"\\KorvelServerV6-setup.log";

    LoggedInstall() {
        platform::os().log = &log;
        machine.files.addFolder(u"C:\\Users");
        machine.files.addFolder(u"C:\\Users\\Admin");
        machine.files.addFolder(u"C:\\Users\\Admin\\AppData");
        machine.files.addFolder(u"C:\\Users\\Admin\\AppData\\Local");
        machine.files.addFolder(log.temp);
        EXPECT_TRUE(openSetupLog(logPath, false));
    }
    ~LoggedInstall() { closeSetupLog(); }

    void scriptExits(const std::u16string& rel, std::uint32_t code) {
        fake::FakeProcesses::Behaviour b;
        b.exitCode = code;
        machine.processes.program(at(rel), b);
    }
    bool logged(const std::string& text) const {
        return log.written.at(logPath).find(text) != std::string::npos;
    }
};

}  // namespace

TEST(DriverOutcome, ExitCodesDecideBetweenInstalledRestartAndDriverFailed) {
    struct Case {
        std::uint32_t hid, usb;
        bool failed, restart;
    };
    for (Case c :
         {Case{0, 0, false, false}, Case{3010, 0, false, true}, Case{0, 1641, false, true},
          Case{1603, 0, true, false}, Case{3010, 1, true, true}, Case{259, 0, true, false}}) {
        LoggedInstall h;
        h.scriptExits(u"driver\\InstallHIDDriverX64.bat", c.hid);
        h.scriptExits(u"driver\\InstallUsbDriverX64.bat", c.usb);
        // The installation still goes on and completes, as it always has.
        ASSERT_TRUE(h.install()) << c.hid << " " << c.usb;
        EXPECT_EQ(h.package.config.driverFailed.load(), c.failed) << c.hid << " " << c.usb;
        EXPECT_EQ(h.package.config.restartRequired.load(), c.restart) << c.hid << " " << c.usb;
        EXPECT_TRUE(h.logged("driver script exit code " + std::to_string(c.hid) + " " +
                             utf16ToUtf8(at(u"driver\\InstallHIDDriverX64.bat"))));
        // A script that ran is logged for removal whatever its code said.
        auto types = h.savedLogTypes();
        EXPECT_EQ(std::count(types.begin(), types.end(), LOG_DRIVER_SCRIPT), 2);
    }
}

TEST(DriverOutcome, AScriptThatHangsOrCannotStartIsAFailedDriver) {
    {
        LoggedInstall h;
        fake::FakeProcesses::Behaviour hangs;
        hangs.runsForMs = fake::FakeProcesses::kHangs;
        h.machine.processes.program(at(u"driver\\InstallUsbDriverX64.bat"), hangs);
        ASSERT_TRUE(h.install());
        EXPECT_TRUE(h.package.config.driverFailed);
        EXPECT_TRUE(h.logged("driver script ended after its time limit of 180 s"));
    }
    {
        LoggedInstall h;
        h.log.error = 2;
        fake::faults().failOperation(
            "createProcess",
            0);  // every start fails: the uninstall scripts before them too
        ASSERT_TRUE(h.install());
        EXPECT_TRUE(h.package.config.driverFailed);
        EXPECT_TRUE(h.logged("driver script could not be started (Windows error 2)"));
    }
    {
        // The old driver's uninstall script failing before the new one goes in is no failure
        // of this installation: it is only logged.
        LoggedInstall h;
        h.scriptExits(u"driver\\UninstallHIDDriverX64.bat", 1);
        ASSERT_TRUE(h.install());
        EXPECT_FALSE(h.package.config.driverFailed);
        EXPECT_TRUE(h.logged("driver script exit code 1 " +
                             utf16ToUtf8(at(u"driver\\UninstallHIDDriverX64.bat"))));
    }
}

// A rolled-back installation saves no log: a driver uninstall script cut short then can never
// be run again by anything. It gets the time its install script had.
TEST(DriverOutcome, TheRollbackGivesAnUninstallScriptAsLongAsItsInstallScriptHad) {
    LoggedInstall h;
    fake::FakeProcesses::Behaviour hangs;
    hangs.runsForMs = fake::FakeProcesses::kHangs;
    h.machine.processes.program(at(u"driver\\UninstallUsbDriverX64.bat"), hangs);
    fake::faults().failOperation("createService");
    ASSERT_FALSE(h.install());
    const std::string& log = h.log.written.at(h.logPath);
    std::size_t limits = 0;
    for (std::size_t at = 0; (at = log.find("time limit of ", at)) != std::string::npos; ++at) {
        EXPECT_EQ(log.compare(at, 20, "time limit of 180 s "), 0) << log.substr(at, 30);
        ++limits;
    }
    // Once before the new driver went in, once in the rollback.
    EXPECT_EQ(limits, 2u) << log;
}

TEST(DriverOutcome, HidRunsCountAsOneSetWithItsBestRun) {
    // Run three times, one run ended well: the set did not fail.
    LoggedInstall h;
    h.parameter.hidRunCount = 3;
    h.scriptExits(u"driver\\InstallHIDDriverX64.bat", 1603);
    int runs = 0;
    fake::faults().onCall = [&](int, const std::string& operation) {
        if (operation != "createProcess") return;
        const auto& line = fake::faults().trace().back();
        if (line.find("InstallHIDDriverX64") == std::string::npos) return;
        // The second run succeeds.
        if (++runs == 2) h.scriptExits(u"driver\\InstallHIDDriverX64.bat", 0);
        if (runs == 3) h.scriptExits(u"driver\\InstallHIDDriverX64.bat", 1603);
    };
    ASSERT_TRUE(h.install());
    fake::faults().onCall = nullptr;
    EXPECT_EQ(runs, 3);
    EXPECT_FALSE(h.package.config.driverFailed);
}

TEST(DriverOutcome, OnA64BitMachineEveryDriverScriptRunsNatively) {
    for (std::uint16_t arch : {std::uint16_t(9), std::uint16_t(0)}) {
        InstallHarness h;
        h.machine.system.architecture = arch;
        ASSERT_TRUE(h.install());
        int scripts = 0;
        for (const auto* p : h.machine.processes.all()) {
            if (p->image.find(u"\\driver\\") == std::u16string::npos) continue;
            ++scripts;
            EXPECT_EQ(p->native, arch == 9) << utf16ToUtf8(p->image);
        }
        EXPECT_EQ(scripts, 4);
        // The programs started at the end are no scripts: they run as they always have.
        for (const auto* p : h.machine.processes.all()) {
            if (p->image.ends_with(u"KorvelPanel.exe")) {
                EXPECT_FALSE(p->native);
            }
        }
        // Removing the installation runs the uninstall scripts the same way.
        std::size_t before = h.machine.processes.all().size();
        ASSERT_TRUE(h.uninstall());
        auto all = h.machine.processes.all();
        int removals = 0;
        for (std::size_t i = before; i < all.size(); ++i) {
            if (all[i]->image.find(u"\\driver\\") == std::u16string::npos) continue;
            ++removals;
            EXPECT_EQ(all[i]->native, arch == 9);
        }
        EXPECT_EQ(removals, 2);
    }
}

TEST(DriverOutcome, TheRollbackRunsItsUninstallScriptsNativelyToo) {
    InstallHarness h;
    fake::faults().failOperation("createService");
    EXPECT_FALSE(h.install());
    int rollbackScripts = 0;
    for (const auto* p : h.machine.processes.all()) {
        if (p->image.find(u"\\driver\\Uninstall") == std::u16string::npos) continue;
        ++rollbackScripts;
        EXPECT_TRUE(p->native);
    }
    // Two run before the new drivers go in, two in the rollback.
    EXPECT_EQ(rollbackScripts, 4);
}

// What a script wrote (pnputil's explanation of a 1603, say) reaches the log after its exit
// code, its end kept when it wrote more than the log keeps, bytes that are no UTF-8 shown as
// such.
TEST(DriverOutcome, WhatAScriptWritesReachesTheLogBounded) {
    LoggedInstall h;
    fake::FakeProcesses::Behaviour says;
    says.exitCode = 1603;
    says.output =
        "Adding driver package:  touch.inf\r\nFailed to install the driver: Access is "
        "denied.\r\nCaf\xE9\r\n";
    h.machine.processes.program(at(u"driver\\InstallUsbDriverX64.bat"), says);
    fake::FakeProcesses::Behaviour chatty;
    chatty.output = std::string(40000, 'x') + "\r\nlast words\r\n";
    h.machine.processes.program(at(u"driver\\InstallHIDDriverX64.bat"), chatty);
    ASSERT_TRUE(h.install());
    const std::string& text = h.log.written.at(h.logPath);
    std::size_t code = text.find("driver script exit code 1603");
    std::size_t said = text.find("  | Failed to install the driver: Access is denied.");
    ASSERT_NE(code, std::string::npos);
    ASSERT_NE(said, std::string::npos) << text.substr(0, 4000);
    EXPECT_LT(code, said);
    EXPECT_TRUE(h.logged("  | Caf\\xE9"));
    EXPECT_TRUE(h.logged("  | last words"));
    EXPECT_TRUE(h.logged("bytes left out"));
    EXPECT_LT(text.size(), 40000u);
    // Every sink was closed.
    EXPECT_EQ(h.machine.processes.openHandles(), 0u);
}

// A program of the product that was running when the installation began is closed, and the log
// says so, and how.
TEST(DriverOutcome, ARunningProgramThatIsClosedGetsALine) {
    LoggedInstall h;
    ASSERT_TRUE(h.install());
    fake::FakeProcesses::Behaviour polite;
    polite.runsForMs = fake::FakeProcesses::kHangs;
    polite.windows = 1;
    h.machine.processes.addRunning(at(u"KorvelPanel.exe"), polite);
    ASSERT_TRUE(h.install());
    EXPECT_TRUE(h.logged("closed a running program of the product (it was asked to) " +
                         utf16ToUtf8(at(u"KorvelPanel.exe"))));
    fake::FakeProcesses::Behaviour stubborn;
    stubborn.runsForMs = fake::FakeProcesses::kHangs;
    stubborn.windows = 1;
    stubborn.closesOnRequest = false;
    h.machine.processes.addRunning(at(u"KorvelPanel.exe"), stubborn);
    ASSERT_TRUE(h.install());
    EXPECT_TRUE(h.logged("closed a running program of the product (ended by force after 30 s)"));
}

// An earlier installation that stays in part: the log says what could not be removed with the
// error of that very removal, and the refusal itself carries no error of some other call.
TEST(DriverOutcome, WhatAnEarlierInstallationLeftIsLoggedWithItsOwnError) {
    LoggedInstall h;
    ASSERT_TRUE(h.install());
    const std::u16string held = at(u"KorvelPanel.exe");
    h.machine.files.inUse = [&](const std::u16string& path) { return path == held; };
    h.log.error = 32;  // ERROR_SHARING_VIOLATION, as the removal meets it
    EXPECT_FALSE(h.install());
    EXPECT_TRUE(h.logged("could not remove a file of the installation (Windows error 32) " +
                         utf16ToUtf8(held)));
    EXPECT_TRUE(h.logged("error ST_PREVIOUS_VERSION_LEFT (24) " + utf16ToUtf8(held) + "\r\n"));
}
