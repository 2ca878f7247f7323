// The product's machine-wide lock on the real calls: one holder at a time, taken again once let
// go or left behind by a holder that ended, and a lock of that name that someone else made (its
// list lets everyone in) never waited for.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h.
#include <sddl.h>

#include <thread>

#include "platform/win32/Win32MachineLocks.h"

namespace {

platform::LockOutcome tryOnAnotherThread(const char16_t* name, std::uint32_t waitMs) {
    platform::LockOutcome outcome = platform::LockOutcome::Failed;
    std::thread([&] {
        win32::Win32MachineLocks locks;
        outcome = locks.hold(name, waitMs).outcome;
    }).join();
    return outcome;
}

}  // namespace

TEST(Win32MachineLock, OneHolderAtATimeAndTakenAgainOnceLetGo) {
    win32::Win32MachineLocks locks;
    const char16_t* name = u"TouchFrameSetup-TSTESTLOCK";
    platform::LockAttempt first = locks.hold(name, 0);
    ASSERT_EQ(first.outcome, platform::LockOutcome::Held) << first.call << " " << first.error;
    EXPECT_EQ(tryOnAnotherThread(name, 0), platform::LockOutcome::Busy);
    EXPECT_EQ(tryOnAnotherThread(name, 200), platform::LockOutcome::Busy);
    first.lock.reset();
    EXPECT_EQ(tryOnAnotherThread(name, 0), platform::LockOutcome::Held);
    // The thread that took it ended without letting go: the next taker gets it all the same.
    EXPECT_EQ(tryOnAnotherThread(name, 0), platform::LockOutcome::Held);
}

TEST(Win32MachineLock, ALockSomeoneElseMadeIsNotWaitedFor) {
    PSECURITY_DESCRIPTOR everyone = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;;GA;;;WD)", SDDL_REVISION_1, &everyone, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, everyone, FALSE};
    HANDLE planted = CreateMutexW(&attributes, TRUE, L"Global\\TouchFrameSetup-TSPLANTED");
    LocalFree(everyone);
    ASSERT_TRUE(planted);
    EXPECT_EQ(tryOnAnotherThread(u"TouchFrameSetup-TSPLANTED", 100),
              platform::LockOutcome::Foreign);
    CloseHandle(planted);
}
