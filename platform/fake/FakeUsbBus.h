// A described USB tree: numbered host controllers, each with a root hub; hubs with a port count
// and, on some ports, devices or further hubs, all looked up by name as the real drivers do.
// Any node can be made to fail, and every call also goes through the fault plan.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/UsbBus.h"

namespace fake {

class FakeUsbBus;

struct FakeUsbPort {
    std::uint32_t status = platform::kUsbDeviceConnected;
    std::uint8_t descriptor[platform::kUsbDescriptorBytes] = {};
    std::u16string hubName;  // a hub is attached when set (it need not exist)
    bool failQuery = false;  // the connection query of this port fails
    bool failName = false;   // the name query of the attached hub fails
};

struct FakeUsbHub {
    FakeUsbBus* bus = nullptr;
    std::u16string name;
    int portCount = 4;
    std::map<int, FakeUsbPort> ports;  // ports not listed report no device
    bool failOpen = false;
    bool failQuery = false;  // node information fails

    // A device with this vendor and product on a port.
    FakeUsbPort& device(int port, std::uint16_t vendor, std::uint16_t product = 0x0001);
    // A hub on a port, created in the bus under its name.
    FakeUsbHub& hub(int port, const std::u16string& hubName, int hubPorts = 4);
    // A port that reports a status other than connected (2 failed enumeration, 4 overcurrent).
    FakeUsbPort& status(int port, std::uint32_t connectionStatus);
};

class FakeUsbBus : public platform::UsbBus {
public:
    struct Controller {
        std::u16string rootHubName;
        bool failName = false;
    };

    // A controller numbered `number` whose root hub is created with `rootName`.
    FakeUsbHub& addController(int number, const std::u16string& rootName, int rootPorts = 4);
    // A hub reachable by name only (created on demand).
    FakeUsbHub& addHub(const std::u16string& name, int ports = 4);
    Controller& controller(int number) { return controllers_[number]; }

    int openHandles() const { return int(handles_.size()); }
    // Closes of handles (and registrations) that were never opened or were already closed.
    int badCloses() const { return badCloses_; }
    void* registeredWindow() const { return window_; }
    // Registrations handed out and not given back.
    int liveRegistrations() const { return int(registrations_.size()); }

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
    struct Target {
        int controller = -1;        // a controller handle
        FakeUsbHub* hub = nullptr;  // or a hub handle
    };
    FakeUsbHub* findHub(const std::u16string& name);
    FakeUsbHub* hubOf(platform::UsbHandle handle);
    const FakeUsbPort* portOf(platform::UsbHandle hub, int port);

    std::map<int, Controller> controllers_;
    std::deque<FakeUsbHub> hubs_;  // stable addresses
    std::map<platform::UsbHandle, Target> handles_;
    platform::UsbHandle nextHandle_ = 0x100;
    int badCloses_ = 0;
    void* window_ = nullptr;
    std::set<platform::NoticeRegistration> registrations_;
    std::uintptr_t nextRegistration_ = 0xD0;
};

}  // namespace fake
