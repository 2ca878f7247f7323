// The end of the Windows session while setup.exe runs, tick by tick: nothing to hold without an
// installation; during one the shutdown is held with its reason and the installation cancelled,
// and when the session ends all the same, the rollback is waited for (as long as the bound
// allows) before the run ends with status 1 and a log that says why.
#include <gtest/gtest.h>

#include <algorithm>

#include "package/Package.h"
#include "platform/fake/FakeClock.h"
#include "run/RunEnd.h"
#include "run/SessionEnd.h"
#include "run/WorkerLife.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/WizardMachine.h"
#include "wizard/Records.h"
#include "wizard/WizardState.h"

using namespace testpkg;

namespace {

constexpr int kEnglishX = 250, kFlagY = 338;  // inside the English flag
constexpr int kAgreeX = 400, kButtonY = 355;  // inside Agree

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool called(const WizardMachine& w, const std::string& call) {
    return std::find(w.host.calls.begin(), w.host.calls.end(), call) != w.host.calls.end();
}

// Through the licence page to the installation, which is running once this returns.
void toInstallation(WizardMachine& w) {
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    w.click(kEnglishX, kFlagY);
    ASSERT_TRUE(w.tickUntil([] { return wizardState.pageAlpha[LicencePage] == 255; }));
    w.plugTouchDevice();
    w.click(kAgreeX, kButtonY);
    ASSERT_TRUE(w.tickUntil([] { return installationRuns(); }));
}

// A worker that never ends, whose waits take the time they are given on the fake clock.
class StuckThreads : public platform::Threads {
public:
    explicit StuckThreads(fake::FakeClock& clock) : clock_(clock) {}
    std::unique_ptr<platform::ThreadHandle> start(std::function<void()>) override {
        return std::make_unique<Stuck>(clock_);
    }

private:
    struct Stuck : platform::ThreadHandle {
        explicit Stuck(fake::FakeClock& clock) : clock(clock) {}
        void wait() override { ADD_FAILURE() << "waited for without a bound"; }
        bool waitServingMessagesFor(std::uint32_t ms) override {
            clock.advance(ms);
            return false;
        }
        fake::FakeClock& clock;
    };
    fake::FakeClock& clock_;
};

}  // namespace

TEST(SessionEnd, WithoutAnInstallationTheSessionEndsAtOnce) {
    WizardMachine w;
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    EXPECT_TRUE(onQueryEndSession());
    EXPECT_TRUE(w.endSession(true));
    EXPECT_EQ(w.exitStatus(), kExitNotStarted);
    EXPECT_FALSE(called(w, "holdShutdown Cancelling Setup"));
    EXPECT_TRUE(has(w.logText(), "the session ends"));
    EXPECT_TRUE(has(w.logText(), "exit status 2"));
}

// Shut down anyway (the session ends) or called off: either way the installation is undone
// whole, and the hold is let go once it is.
TEST(SessionEnd, AShutdownDuringTheInstallationIsHeldCancelsItAndWaitsForTheRollback) {
    for (bool ending : {true, false}) {
        WizardMachine w(true);
        MachineSnapshot before = w.machine.snapshot();
        toInstallation(w);
        EXPECT_FALSE(onQueryEndSession()) << ending;
        EXPECT_TRUE(called(w, "holdShutdown Cancelling Setup"));
        EXPECT_FALSE(installConfig->running) << "cancelled";
        EXPECT_TRUE(has(w.logText(), "the session is ending while the installation runs"));
        // Asked again, it stays held and is not held twice.
        EXPECT_FALSE(onQueryEndSession());
        EXPECT_EQ(
            std::count(w.host.calls.begin(), w.host.calls.end(), "holdShutdown Cancelling Setup"),
            1);
        if (ending) {
            EXPECT_TRUE(w.endSession(true));
            EXPECT_TRUE(has(w.logText(), "the session ends: waiting for the installation"));
        } else {
            EXPECT_FALSE(w.endSession(false));
            EXPECT_TRUE(has(w.logText(), "the end of the session was called off"));
            w.runUntilClosed(1000000);
        }
        ASSERT_TRUE(w.closed()) << ending;
        EXPECT_EQ(w.exitStatus(), kExitRolledBack) << ending;
        EXPECT_TRUE(called(w, "releaseShutdown")) << ending;
        EXPECT_FALSE(w.host.shutdownHeld);
        EXPECT_FALSE(has(w.logText(), "before the rollback did"));
        std::string log = w.logText();
        std::string last = log.substr(log.rfind("exit status"));
        EXPECT_EQ(last.rfind("exit status 1 not installed", 0), 0u) << log;
        EXPECT_EQ(last.find('\n'), last.size() - 1) << "the last line";
        MachineSnapshot after = w.machine.snapshot();
        after.files.erase(u"C:\\Users\\Admin\\AppData\\Local\\Temp\\KorvelServerV6-setup.log");
        EXPECT_TRUE(after == before) << describeDifference(before, after);
    }
}

// A rollback that does not end within the bound: the run ends all the same, with status 1 and
// the log saying what happened, and nothing waits for the worker again.
TEST(SessionEnd, TheWaitForTheRollbackIsBounded) {
    WizardMachine w;
    StuckThreads stuck(w.machine.clock);
    platform::os().threads = &stuck;
    toInstallation(w);
    if (HasFatalFailure()) return;
    InstallConfig* config = installConfig;
    EXPECT_FALSE(onQueryEndSession());
    std::uint32_t start = w.machine.clock.now();
    EXPECT_TRUE(w.endSession(true));
    std::uint32_t waited = w.machine.clock.now() - start;
    EXPECT_GE(waited, kEndSessionWaitMs);
    EXPECT_LT(waited, kEndSessionWaitMs + 1000);
    EXPECT_EQ(w.exitStatus(), kExitRolledBack);
    EXPECT_TRUE(has(w.logText(), "error: the session ended before the rollback did"));
    EXPECT_TRUE(has(w.logText(), "exit status 1"));
    // The worker never ran: what it would have freed is freed here.
    ASSERT_NE(config, installConfig);
    releaseInstallConfig(config);
}
