// Deleting an installed file that may still be in use for a moment: a program that was just
// closed, a service whose process outlives its stop, a scanner that opened the file.
#pragma once

#include <cstdint>

constexpr std::uint32_t kInUseRetryMs = 100;
constexpr int kInUseRetries = 30;  // 3 s in all

// DeleteFileW, tried again every 100 ms for up to 3 s while the file is in use; any other
// failure is final at once. True when the file went.
bool deleteFileWhenFree(const char16_t* path);
