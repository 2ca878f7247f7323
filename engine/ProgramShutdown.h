// Closing every running copy of an installed program before its file is overwritten or
// deleted: each is asked to close through its top-level windows and terminated if it has not
// ended 30 s later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Processes.h"

constexpr std::uint32_t kCloseWaitMs = 30000;

// True when the path names an executable: it ends in ".exe" in any letter case, or it is so
// short (4 units or fewer) that it cannot be told apart.
bool isExePath(const char16_t* path);

// Finds the running processes whose executable file name equals the path's file name and whose
// full image path equals `path` (both compared exactly, letter case included); one after the
// other, posts WM_CLOSE and WM_DESTROY to each one's top-level windows, waits up to 30 s,
// terminates it with exit code 0 if it still runs and waits up to 30 s more. Always true:
// a process that cannot be listed, opened or ended is left running.
bool closeProgram(const char16_t* path);

// A program of the product that ran when an installation began, and whose it was: the
// installation (or the removal of the earlier one) closes it, and the finish starts it again
// for that account.
struct ClosedProgram {
    std::u16string path;           // where the new installation puts that program
    platform::ProcessOwner owner;  // account unknown and no token when it could not be told
};

// The product's programs running when the installation began, each with its folder below one
// of `folders` mapped into `newFolder`. Their owners' tokens are given back at the end.
struct ClosedPrograms {
    ClosedPrograms() = default;
    ClosedPrograms(const ClosedPrograms&) = delete;
    ClosedPrograms& operator=(const ClosedPrograms&) = delete;
    ~ClosedPrograms();
    std::vector<ClosedProgram> list;
};
void findRunningPrograms(const std::vector<std::u16string>& folders, std::u16string_view newFolder,
                         ClosedPrograms& found);
