// Deciding whether a device-change notice may mean that a touch device arrived, and asking for
// such notices. The broadcast is read from its raw bytes, so no system header is needed here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/TouchDeviceIds.h"

constexpr std::uint32_t kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
constexpr std::uint32_t kDevicesChanged = 0x0007;        // DBT_DEVNODES_CHANGED
constexpr std::uint32_t kDeviceTypeInterface = 5;        // DBT_DEVTYP_DEVICEINTERFACE

// Registers the window for USB device-interface notices; false when no registration came back.
// Callers go on either way: unregistered windows still get the general change notices. The
// registration is kept (one at a time) until unregisterDeviceArrival gives it back.
bool registerDeviceArrival(void* window);
// Gives the kept registration back, before its window goes; nothing when there is none.
void unregisterDeviceArrival();

// The dbcc_name of a device-interface broadcast, bounded by the broadcast's own size and the
// bytes available; false for a broadcast of another device type or one too short to hold a
// name.
bool deviceInterfaceName(const std::uint8_t* broadcast, std::size_t size, std::u16string& name);

// WM_DEVICECHANGE: `broadcast` and `size` are the bytes lParam points to (none for notices
// without a structure). An arrival counts when it is a device interface with a touch device
// name (device/TouchDeviceIds.h), a removal never, anything else when a touch device is
// attached now.
bool mayBeTouchArrival(std::uintptr_t wParam, const std::uint8_t* broadcast, std::size_t size,
                       const TouchDeviceIds& ids);
