// The USB tree as the host controllers and hubs report it through their I/O control interface,
// and the registration for device-arrival notices. Handles are opaque; every handle an open
// returns must be given back to close().
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace platform {

using UsbHandle = std::uintptr_t;
// An HDEVNOTIFY; none is null.
using NoticeRegistration = void*;

constexpr std::uint32_t kUsbDeviceConnected = 1;
constexpr std::size_t kUsbDescriptorBytes = 18;

// What a hub reports about one of its ports.
struct UsbPortInfo {
    std::uint32_t status = 0;                           // ConnectionStatus; 1 is connected
    bool isHub = false;                                 // DeviceIsHub
    std::uint8_t descriptor[kUsbDescriptorBytes] = {};  // the device descriptor, as returned
};

class UsbBus {
public:
    virtual ~UsbBus() = default;
    // Host controller `number` (0 to 254); false when there is none by that number.
    virtual bool openController(int number, UsbHandle& controller) = 0;
    // The controller's root hub name (two-step query); false when either step fails or the
    // name is empty.
    virtual bool rootHubName(UsbHandle controller, std::u16string& name) = 0;
    // A hub by the name its controller or parent hub reported.
    virtual bool openHub(const std::u16string& name, UsbHandle& hub) = 0;
    // bNumberOfPorts of the hub's descriptor.
    virtual bool portCount(UsbHandle hub, int& ports) = 0;
    // Ports are numbered from 1.
    virtual bool portInfo(UsbHandle hub, int port, UsbPortInfo& info) = 0;
    // Name of the hub attached to a port (two-step query); false when either step fails or
    // the name is empty.
    virtual bool attachedHubName(UsbHandle hub, int port, std::u16string& name) = 0;
    virtual void close(UsbHandle handle) = 0;
    // Asks for USB device-interface arrival and removal notices to be sent to the window.
    // False when the system gave no registration back; otherwise `registration` is to be given
    // back to unregisterArrivalNotices.
    virtual bool registerArrivalNotices(void* window, NoticeRegistration& registration) = 0;
    // UnregisterDeviceNotification.
    virtual bool unregisterArrivalNotices(NoticeRegistration registration) = 0;
};

inline UsbBus& usb() {
    return *os().usb;
}

}  // namespace platform
