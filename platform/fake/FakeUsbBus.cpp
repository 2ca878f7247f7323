#include "platform/fake/FakeUsbBus.h"

#include <algorithm>
#include <iterator>

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {

std::string detailOf(platform::UsbHandle handle, int port) {
    return std::to_string(handle) + " port " + std::to_string(port);
}

}  // namespace

FakeUsbPort& FakeUsbHub::device(int port, std::uint16_t vendor, std::uint16_t product) {
    FakeUsbPort& p = ports[port];
    p = FakeUsbPort{};
    p.descriptor[0] = 18;
    p.descriptor[1] = 1;
    p.descriptor[8] = std::uint8_t(vendor);
    p.descriptor[9] = std::uint8_t(vendor >> 8);
    p.descriptor[10] = std::uint8_t(product);
    p.descriptor[11] = std::uint8_t(product >> 8);
    p.descriptor[17] = 1;
    return p;
}

FakeUsbHub& FakeUsbHub::hub(int port, const std::u16string& hubName, int hubPorts) {
    FakeUsbPort& p = ports[port];
    p = FakeUsbPort{};
    p.hubName = hubName;
    // The hub's own descriptor, as a hub would report it; it must never be taken for a device.
    p.descriptor[0] = 18;
    p.descriptor[1] = 1;
    p.descriptor[4] = 9;
    return bus->addHub(hubName, hubPorts);
}

FakeUsbPort& FakeUsbHub::status(int port, std::uint32_t connectionStatus) {
    FakeUsbPort& p = ports[port];
    p.status = connectionStatus;
    return p;
}

FakeUsbHub& FakeUsbBus::addController(int number, const std::u16string& rootName, int rootPorts) {
    controllers_[number] = Controller{rootName, false};
    return addHub(rootName, rootPorts);
}

FakeUsbHub& FakeUsbBus::addHub(const std::u16string& name, int ports) {
    if (FakeUsbHub* existing = findHub(name)) return *existing;
    hubs_.push_back(FakeUsbHub{});
    FakeUsbHub& hub = hubs_.back();
    hub.bus = this;
    hub.name = name;
    hub.portCount = ports;
    return hub;
}

FakeUsbHub* FakeUsbBus::findHub(const std::u16string& name) {
    for (FakeUsbHub& hub : hubs_) {
        if (hub.name == name) return &hub;
    }
    return nullptr;
}

FakeUsbHub* FakeUsbBus::hubOf(platform::UsbHandle handle) {
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second.hub;
}

const FakeUsbPort* FakeUsbBus::portOf(platform::UsbHandle handle, int port) {
    FakeUsbHub* hub = hubOf(handle);
    if (!hub) return nullptr;
    auto it = hub->ports.find(port);
    return it == hub->ports.end() ? nullptr : &it->second;
}

bool FakeUsbBus::openController(int number, platform::UsbHandle& controller) {
    if (faults().shouldFail("usb.openController", std::to_string(number))) return false;
    if (controllers_.find(number) == controllers_.end()) return false;
    controller = nextHandle_++;
    handles_[controller] = Target{number, nullptr};
    return true;
}

bool FakeUsbBus::rootHubName(platform::UsbHandle controller, std::u16string& name) {
    if (faults().shouldFail("usb.rootHubName", std::to_string(controller))) return false;
    auto it = handles_.find(controller);
    if (it == handles_.end() || it->second.controller < 0) return false;
    const Controller& c = controllers_[it->second.controller];
    if (c.failName || c.rootHubName.empty()) return false;
    name = c.rootHubName;
    return true;
}

bool FakeUsbBus::openHub(const std::u16string& name, platform::UsbHandle& hub) {
    if (faults().shouldFail("usb.openHub", utf16ToUtf8(name))) return false;
    FakeUsbHub* found = findHub(name);
    if (!found || found->failOpen) return false;
    hub = nextHandle_++;
    handles_[hub] = Target{-1, found};
    return true;
}

bool FakeUsbBus::portCount(platform::UsbHandle hub, int& ports) {
    if (faults().shouldFail("usb.portCount", std::to_string(hub))) return false;
    FakeUsbHub* h = hubOf(hub);
    if (!h || h->failQuery) return false;
    ports = h->portCount;
    return true;
}

bool FakeUsbBus::portInfo(platform::UsbHandle hub, int port, platform::UsbPortInfo& info) {
    if (faults().shouldFail("usb.portInfo", detailOf(hub, port))) return false;
    FakeUsbHub* h = hubOf(hub);
    // A real hub refuses port numbers outside 1..bNumberOfPorts.
    if (!h || port < 1 || port > h->portCount) return false;
    info = platform::UsbPortInfo{};
    const FakeUsbPort* p = portOf(hub, port);
    if (!p) return true;  // nothing attached: status 0
    if (p->failQuery) return false;
    info.status = p->status;
    info.isHub = !p->hubName.empty();
    std::copy(std::begin(p->descriptor), std::end(p->descriptor), info.descriptor);
    return true;
}

bool FakeUsbBus::attachedHubName(platform::UsbHandle hub, int port, std::u16string& name) {
    if (faults().shouldFail("usb.attachedHubName", detailOf(hub, port))) return false;
    const FakeUsbPort* p = portOf(hub, port);
    if (!p || p->failName || p->hubName.empty()) return false;
    name = p->hubName;
    return true;
}

void FakeUsbBus::close(platform::UsbHandle handle) {
    faults().shouldFail("usb.close", std::to_string(handle));
    if (handles_.erase(handle) == 0) ++badCloses_;
}

bool FakeUsbBus::registerArrivalNotices(void* window, platform::NoticeRegistration& registration) {
    if (faults().shouldFail("usb.registerArrivalNotices")) return false;
    if (!window) return false;
    window_ = window;
    registration = reinterpret_cast<platform::NoticeRegistration>(nextRegistration_++);
    registrations_.insert(registration);
    return true;
}

bool FakeUsbBus::unregisterArrivalNotices(platform::NoticeRegistration registration) {
    if (faults().shouldFail("usb.unregisterArrivalNotices")) return false;
    if (registrations_.erase(registration) == 0) {
        ++badCloses_;
        return false;
    }
    return true;
}

}  // namespace fake
