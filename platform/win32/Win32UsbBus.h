// The USB tree through the host controllers' and hubs' device I/O controls, and device
// notifications through RegisterDeviceNotificationW.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/UsbBus.h"

namespace win32 {

class Win32UsbBus : public platform::UsbBus {
public:
    bool openController(int number, platform::UsbHandle& controller) override;
    bool rootHubName(platform::UsbHandle controller, std::u16string& name) override;
    bool openHub(const std::u16string& name, platform::UsbHandle& hub) override;
    bool portCount(platform::UsbHandle hub, int& ports) override;
    bool portInfo(platform::UsbHandle hub, int port, platform::UsbPortInfo& info) override;
    bool attachedHubName(platform::UsbHandle hub, int port, std::u16string& name) override;
    void close(platform::UsbHandle handle) override;
    bool registerArrivalNotices(void* window, platform::NoticeRegistration& registration) override;
    bool unregisterArrivalNotices(platform::NoticeRegistration registration) override;
};

// The broadcast a WM_DEVICECHANGE lParam points to, as the portable classification reads it:
// its bytes and its own dbch_size; none when lParam is null.
void deviceBroadcast(std::intptr_t lParam, const std::uint8_t*& bytes, std::size_t& size);

}  // namespace win32
