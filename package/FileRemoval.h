// Deleting an installed file or removing a folder that may still be in use for a moment: a
// program that was just closed, a service whose process outlives its stop, a script whose
// process (or the console it had) still has the folder as its working folder, a scanner that
// opened a file.
#pragma once

#include <cstdint>

constexpr std::uint32_t kInUseRetryMs = 100;
constexpr int kInUseRetries = 50;  // 5 s in all

// DeleteFileW, tried again every 100 ms for up to 5 s while the file is in use; any other
// failure is final at once. True when the file went.
bool deleteFileWhenFree(const char16_t* path);

// RemoveDirectoryW the same way: a folder that is not empty is final at once.
bool removeFolderWhenFree(const char16_t* path);

// FileSystem::removeBelow the same way: never through a link below `base`.
bool removeBelowWhenFree(const char16_t* base, const char16_t* relative);
