// A 32-bit installer starts the x64 driver scripts with WoW64's file-system redirection off
// for its thread. Whatever ends that start (memory running out included), the redirection must
// be on again: the rollback that follows on the same thread loads DLLs and deletes files, and
// unredirected it would reach the 64-bit system folder instead of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "platform/win32/Win32Processes.h"
#include "tests/windows/Win32Machine.h"

namespace {

// Allocations fail while this is set, on the thread that set it only.
thread_local bool starving = false;

struct RedirectionRecord {
    bool available = true;  // false: a system without WoW64, where turning it off fails
    bool off = false;
    int offs = 0, ons = 0;
};
RedirectionRecord record;

// Memory runs out as soon as the redirection is off.
BOOL WINAPI disableThenStarve(PVOID* previous) {
    *previous = &record;
    if (!record.available) return FALSE;
    record.off = true;
    ++record.offs;
    starving = true;
    return TRUE;
}

BOOL WINAPI disableOnly(PVOID* previous) {
    *previous = &record;
    if (!record.available) return FALSE;
    record.off = true;
    ++record.offs;
    return TRUE;
}

BOOL WINAPI revert(PVOID previous) {
    EXPECT_EQ(previous, &record) << "the value the call that turned it off gave";
    record.off = false;
    ++record.ons;
    return TRUE;
}

}  // namespace

// The replacements pair malloc with free; the compiler, seeing new inlined next to free, would
// take them for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (starving) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

TEST(Win32Redirection, ANativeStartTurnsTheRedirectionBackOnOnEveryWayOut) {
    // Longer than any string keeps in itself, so that copying it allocates.
    const std::u16string line =
        u"\"C:\\no such folder\\InstallUsbDriverX64.bat\" /quiet /norestart";
    platform::StartedProcess started;

    record = {};
    win32::Win32Processes starved(win32::Wow64Redirection{disableThenStarve, revert});
    bool threw = false;
    try {
        starved.createNative(line.c_str(), u"C:\\", true, started);
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    starving = false;
    EXPECT_TRUE(threw) << "memory running out is the worker's to handle";
    EXPECT_EQ(record.offs, 1);
    EXPECT_FALSE(record.off) << "memory ran out with the redirection off";

    // A program that cannot be started.
    record = {};
    win32::Win32Processes processes(win32::Wow64Redirection{disableOnly, revert});
    EXPECT_FALSE(processes.createNative(line.c_str(), u"C:\\", true, started));
    EXPECT_EQ(record.offs, 1);
    EXPECT_EQ(record.ons, 1);

    // Where there is no redirection to turn off, nothing is turned back on.
    record = {};
    record.available = false;
    EXPECT_FALSE(processes.createNative(line.c_str(), u"C:\\", true, started));
    EXPECT_EQ(record.ons, 0);
}
