// The two halves of Uninstall.exe: the program the Uninstall entry starts from the product folder
// (it asks, takes the product's lock, starts a temporary copy of itself and returns the copy's
// result), and that copy, which removes the installation and, having outlived the original,
// removes the original's program too. Both write the run's log.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "startup/UninstallSwitches.h"

constexpr int kRemoved = 0;
constexpr int kNotRemoved = 1;
constexpr int kNothingThere = 2;

// The part of a path before its last backslash.
std::u16string folderOf(const std::u16string& path);

// A box, unless the run must show none.
void tell(bool quiet, const std::u16string& text, const std::u16string& title, unsigned icon);

// The original program's run: everything up to the copy's result.
int runFromProductFolder(const UninstallSwitches& args, bool understood,
                         std::u16string_view commandLine);

// The temporary copy's run. Its result goes to the original through its standard output (four
// bytes, the status); it then waits for the original to end and removes the original's program.
// Its own program goes when it ends: the original opened it to be deleted once closed, and the
// copy holds that handle.
int runAsTemporaryCopy(const UninstallSwitches& args);
