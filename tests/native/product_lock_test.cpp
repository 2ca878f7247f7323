// One installation or removal of a product at a time: the product's machine-wide lock, the
// silent run's bounded wait and its status 1618, and the interactive run's box.
#include <gtest/gtest.h>

#include "engine/ExitStatus.h"
#include "engine/ProductLock.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/WizardMachine.h"
#include "wizard/PageActions.h"
#include "wizard/WizardState.h"

using namespace testpkg;

namespace {

const std::u16string kDemoLock = u"TouchFrameSetup-KORVELSERVERV5";

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(ProductLock, TheLockIsNamedByTheProductsIdentityInAnyCase) {
    EXPECT_EQ(productLockName(demoIdentity()), kDemoLock);
    ProductIdentity lower = demoIdentity();
    copyText(lower.settingsKey, u"korvelServerV5");
    EXPECT_EQ(productLockName(lower), kDemoLock);
    ProductIdentity other = demoIdentity();
    copyText(other.settingsKey, u"PenTouch");
    EXPECT_NE(productLockName(other), kDemoLock);
}

TEST(ProductLock, ASilentRunWaitsItsTimeForAnotherAndThenEndsWith1618) {
    WizardMachine w;
    w.machine.locks.heldElsewhere[kDemoLock] = fake::FakeMachineLocks::kForever;
    w.plugTouchDevice();
    w.start(u"/S /LOCKWAIT=30");
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitAnotherRun);
    EXPECT_TRUE(w.host.boxes.empty());
    EXPECT_FALSE(w.machine.files.hasFile(kLogPath));
    ASSERT_FALSE(w.machine.locks.waits.empty());
    EXPECT_EQ(w.machine.locks.waits.back().waitMs, 30000u);
    EXPECT_TRUE(has(w.logText(), "waiting for it, seconds: 30")) << w.logText();
    EXPECT_TRUE(has(w.logText(), "exit status 1618")) << w.logText();

    // The other run ends within the wait: this one installs after it, holding the lock until
    // its own end.
    WizardMachine after;
    after.machine.locks.heldElsewhere[kDemoLock] = 12000;
    after.plugTouchDevice();
    bool heldWhileInstalling = false;
    after.window.afterMessage = [&](std::uint32_t code) {
        if (code == ST_WORKER_DONE) heldWhileInstalling = after.machine.locks.held.count(kDemoLock);
    };
    after.start(u"/S /LOCKWAIT=30");
    after.runUntilClosed();
    EXPECT_EQ(after.exitStatus(), kExitInstalled);
    EXPECT_TRUE(heldWhileInstalling);
    EXPECT_TRUE(after.machine.locks.held.empty());
}

TEST(ProductLock, AnInteractiveRunSaysSoInABoxAndInstallsNothing) {
    WizardMachine w;
    w.machine.locks.heldElsewhere[kDemoLock] = fake::FakeMachineLocks::kForever;
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    languageAction(1031);
    agreeAction();
    w.plugTouchDevice();
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitAnotherRun);
    ASSERT_EQ(w.host.boxes.size(), 1u);
    EXPECT_NE(w.host.boxes[0].text.find(u"Eine andere Installation oder Entfernung von "
                                        u"KorvelServerV6"),
              std::u16string::npos);
    EXPECT_FALSE(w.machine.files.hasFile(kLogPath));
}

// A lock nobody can take for a reason of its own does not keep the product from being
// installed: the run goes on as runs before the lock did, and says why in its log.
TEST(ProductLock, ALockThatCannotBeTakenIsLoggedWithItsCallAndTheRunGoesOn) {
    WizardMachine failed;
    fake::faults().failOperation("holdMachineLock");
    failed.plugTouchDevice();
    failed.start(u"/S");
    failed.runUntilClosed();
    fake::faults().clear();
    EXPECT_EQ(failed.exitStatus(), kExitInstalled);
    EXPECT_TRUE(has(failed.logText(), "CreateMutexW (Windows error 5)")) << failed.logText();

    WizardMachine foreign;
    foreign.machine.locks.foreign.insert(kDemoLock);
    foreign.plugTouchDevice();
    foreign.start(u"/S");
    foreign.runUntilClosed();
    EXPECT_EQ(foreign.exitStatus(), kExitInstalled);
    EXPECT_TRUE(has(foreign.logText(), "made by another account")) << foreign.logText();
}
