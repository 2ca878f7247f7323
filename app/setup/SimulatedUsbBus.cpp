#include "app/setup/SimulatedUsbBus.h"

#include <cstdio>
#include <sstream>

#include "platform/FileSystem.h"

namespace {
constexpr platform::UsbHandle kController = 1;
constexpr platform::UsbHandle kRootHub = 2;
const std::u16string kRootHubName = u"SIMULATED#ROOT_HUB";
}  // namespace

bool parseSimulatedDevice(const std::string& line, std::uint16_t& vendor, std::uint16_t& product) {
    unsigned v = 0, p = 0;
    char tail = 0;
    int read = std::sscanf(line.c_str(), "%4x:%4x%c", &v, &p, &tail);
    if (read < 2 || (read == 3 && tail != '\r' && tail != ' ')) return false;
    vendor = std::uint16_t(v);
    product = std::uint16_t(p);
    return true;
}

std::vector<SimulatedUsbBus::Device> SimulatedUsbBus::readDevices() const {
    std::vector<Device> devices;
    std::vector<std::uint8_t> bytes;
    if (!platform::files().readFile(file_.c_str(), bytes)) return devices;
    std::istringstream text(std::string(bytes.begin(), bytes.end()));
    std::string line;
    while (std::getline(text, line)) {
        Device d;
        if (parseSimulatedDevice(line, d.vendor, d.product)) devices.push_back(d);
    }
    return devices;
}

bool SimulatedUsbBus::openController(int number, platform::UsbHandle& controller) {
    if (number != 0) return false;
    controller = kController;
    return true;
}

bool SimulatedUsbBus::rootHubName(platform::UsbHandle controller, std::u16string& name) {
    if (controller != kController) return false;
    name = kRootHubName;
    return true;
}

bool SimulatedUsbBus::openHub(const std::u16string& name, platform::UsbHandle& hub) {
    if (name != kRootHubName) return false;
    devices_ = readDevices();
    hub = kRootHub;
    return true;
}

bool SimulatedUsbBus::portCount(platform::UsbHandle hub, int& ports) {
    if (hub != kRootHub) return false;
    ports = int(devices_.size());
    return true;
}

bool SimulatedUsbBus::portInfo(platform::UsbHandle hub, int port, platform::UsbPortInfo& info) {
    if (hub != kRootHub || port < 1 || port > int(devices_.size())) return false;
    const Device& d = devices_[std::size_t(port - 1)];
    info = {};
    info.status = platform::kUsbDeviceConnected;
    info.descriptor[0] = platform::kUsbDescriptorBytes;
    info.descriptor[1] = 1;  // a device descriptor
    info.descriptor[8] = std::uint8_t(d.vendor & 0xFF);
    info.descriptor[9] = std::uint8_t(d.vendor >> 8);
    info.descriptor[10] = std::uint8_t(d.product & 0xFF);
    info.descriptor[11] = std::uint8_t(d.product >> 8);
    return true;
}

bool SimulatedUsbBus::attachedHubName(platform::UsbHandle, int, std::u16string&) {
    return false;
}

void SimulatedUsbBus::close(platform::UsbHandle) {}

bool SimulatedUsbBus::registerArrivalNotices(void* window,
                                             platform::NoticeRegistration& registration) {
    return system_.registerArrivalNotices(window, registration);
}

bool SimulatedUsbBus::unregisterArrivalNotices(platform::NoticeRegistration registration) {
    return system_.unregisterArrivalNotices(registration);
}
