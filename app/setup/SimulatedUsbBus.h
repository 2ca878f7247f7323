// The USB bus of the test build of setup.exe: one host controller whose root hub carries the
// devices listed in a small text file, read afresh at every walk, so a test plugs a touch
// device by writing "aaec:0001" into the file and unplugs it by emptying it. Registration for
// device notices goes to the real system. Never part of the shipped setup.exe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/UsbBus.h"

class SimulatedUsbBus : public platform::UsbBus {
public:
    SimulatedUsbBus(std::u16string devicesFile, platform::UsbBus& system)
        : file_(std::move(devicesFile)), system_(system) {}

    bool openController(int number, platform::UsbHandle& controller) override;
    bool rootHubName(platform::UsbHandle controller, std::u16string& name) override;
    bool openHub(const std::u16string& name, platform::UsbHandle& hub) override;
    bool portCount(platform::UsbHandle hub, int& ports) override;
    bool portInfo(platform::UsbHandle hub, int port, platform::UsbPortInfo& info) override;
    bool attachedHubName(platform::UsbHandle hub, int port, std::u16string& name) override;
    void close(platform::UsbHandle handle) override;
    bool registerArrivalNotices(void* window, platform::NoticeRegistration& registration) override;
    bool unregisterArrivalNotices(platform::NoticeRegistration registration) override;

private:
    struct Device {
        std::uint16_t vendor = 0;
        std::uint16_t product = 0;
    };
    // One "vvvv:pppp" (hexadecimal) a line; anything else on a line is ignored.
    std::vector<Device> readDevices() const;

    std::u16string file_;
    platform::UsbBus& system_;
    std::vector<Device> devices_;  // as read when the root hub was opened
};

// Parses the device list of the file's text; exposed for the tests.
bool parseSimulatedDevice(const std::string& line, std::uint16_t& vendor, std::uint16_t& product);
