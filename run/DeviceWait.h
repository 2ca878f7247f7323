// The touch device awaited. A silent run shows no device page: it waits for the device hidden,
// for a bounded time, looking once a second and on every arrival notice; when the wait is over
// without it, the run ends with its own exit status. A run with a window waits on the device
// page for an arrival notice.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kDeviceWaitTimer = 2;
constexpr unsigned kDeviceWaitTickMs = 1000;

// Starts the silent run's wait (ends the run at once when the settings allow no wait).
void waitForDeviceSilently();

// WM_TIMER of the silent run's device wait: the installation starts once the device is there.
void onDeviceWaitTimer();

// WM_DEVICECHANGE with the bytes lParam points to (none for notices without a structure).
void onDeviceChange(std::uintptr_t wParam, const std::uint8_t* broadcast, std::size_t size);
