// The wizard with the install worker on a real thread: the window thread ticks, serves the
// worker's messages and presses the close button while the worker runs, at many moments. Every
// run ends rolled back (exit 1) with the machine as it was, or installed (exit 0) with a log that
// removes everything; ThreadSanitizer watches what the two threads share.
#include <gtest/gtest.h>

#include "run/RunEnd.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/WizardMachine.h"
#include "wizard/WizardState.h"

using namespace testpkg;

namespace {

void toDevicePageWithTheDevice(WizardMachine& w) {
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    w.click(250, 338);  // English
    ASSERT_TRUE(w.tickUntil([] { return wizardState.pageAlpha[LicencePage] == 255; }));
    w.plugTouchDevice();
    w.click(400, 355);  // Agree
}

}  // namespace

TEST(PageFlowRace, CloseDuringTheInstallationFromTheWindowThread) {
    std::size_t total = 0;
    {
        WizardMachine w(true);
        toDevicePageWithTheDevice(w);
        w.runUntilClosed(10000000);
        ASSERT_EQ(w.exitStatus(), kExitInstalled);
        total = w.window.codes.size();
    }
    int rolledBack = 0;
    for (std::size_t k = 1; k < total; k += 2) {
        WizardMachine w(true);
        MachineSnapshot before = w.machine.snapshot();
        toDevicePageWithTheDevice(w);
        ASSERT_TRUE(w.tickUntil([&] { return w.window.codes.size() >= k; }, 10000000));
        w.click(520, 15);  // the close button, while the worker goes on
        w.runUntilClosed(10000000);
        ASSERT_TRUE(w.closed()) << k;
        if (w.exitStatus() == kExitInstalled) {
            EXPECT_TRUE(runUninstallJob(kLogPath)) << k;
        } else {
            EXPECT_EQ(w.exitStatus(), kExitRolledBack) << k;
            ++rolledBack;
        }
        MachineSnapshot after = w.machine.snapshot();
        EXPECT_TRUE(after == before) << "close after message " << k << "\n"
                                     << describeDifference(before, after);
        if (testing::Test::HasFailure()) return;
    }
    EXPECT_GT(rolledBack, 0);
}

// WM_CLOSE from outside (taskkill without /f, a shutdown) while the worker runs on its thread:
// the window stays until the rollback (or the finish, when it came too late) is done.
TEST(PageFlowRace, CloseFromOutsideDuringTheInstallation) {
    std::size_t total = 0;
    {
        WizardMachine w(true);
        toDevicePageWithTheDevice(w);
        w.runUntilClosed(10000000);
        ASSERT_EQ(w.exitStatus(), kExitInstalled);
        total = w.window.codes.size();
    }
    int rolledBack = 0;
    for (std::size_t k = 1; k < total; k += 3) {
        WizardMachine w(true);
        MachineSnapshot before = w.machine.snapshot();
        toDevicePageWithTheDevice(w);
        ASSERT_TRUE(w.tickUntil([&] { return w.window.codes.size() >= k; }, 10000000));
        w.host.postClose(nullptr);  // as PostMessageW(WM_CLOSE) from another process
        w.runUntilClosed(10000000);
        ASSERT_TRUE(w.closed()) << k;
        if (w.exitStatus() == kExitInstalled) {
            EXPECT_TRUE(runUninstallJob(kLogPath)) << k;
        } else {
            EXPECT_EQ(w.exitStatus(), kExitRolledBack) << k;
            ++rolledBack;
        }
        MachineSnapshot after = w.machine.snapshot();
        EXPECT_TRUE(after == before) << "close from outside after message " << k << "\n"
                                     << describeDifference(before, after);
        if (testing::Test::HasFailure()) return;
    }
    EXPECT_GT(rolledBack, 0);
}
