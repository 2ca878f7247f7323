#include "device/UsbDevices.h"

#include <string>

namespace {

// USB itself allows five external hubs in a chain. The walk follows names the drivers report,
// so a bound well above that keeps a misreporting driver (a hub naming itself or an ancestor)
// from recursing without end, and never hides a real device.
constexpr int kMaxHubDepth = 16;

std::uint16_t le16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

void addAttachedHub(platform::UsbHandle hub, int port, UsbDeviceList& list, int depth) {
    if (depth >= kMaxHubDepth) return;
    platform::UsbBus& bus = platform::usb();
    std::u16string name;
    if (!bus.attachedHubName(hub, port, name)) return;
    platform::UsbHandle child = 0;
    if (!bus.openHub(name, child)) return;
    enumerateHub(child, list, depth + 1);
    bus.close(child);
}

void addDevice(const platform::UsbPortInfo& info, UsbDeviceList& list) {
    auto record = std::make_unique<UsbDeviceRecord>();
    record->descriptor = descriptorFromBytes(info.descriptor);
    record->next = std::move(list);
    list = std::move(record);
}

}  // namespace

UsbDeviceDescriptor descriptorFromBytes(const std::uint8_t (&b)[platform::kUsbDescriptorBytes]) {
    UsbDeviceDescriptor d;
    d.bLength = b[0];
    d.bDescriptorType = b[1];
    d.bcdUSB = le16(b + 2);
    d.bDeviceClass = b[4];
    d.bDeviceSubClass = b[5];
    d.bDeviceProtocol = b[6];
    d.bMaxPacketSize0 = b[7];
    d.idVendor = le16(b + 8);
    d.idProduct = le16(b + 10);
    d.bcdDevice = le16(b + 12);
    d.iManufacturer = b[14];
    d.iProduct = b[15];
    d.iSerialNumber = b[16];
    d.bNumConfigurations = b[17];
    return d;
}

// Unlinks one record at a time so that a long list is released without deep recursion.
UsbDeviceRecord::~UsbDeviceRecord() {
    while (next) next = std::move(next->next);
}

void enumerateHub(platform::UsbHandle hub, UsbDeviceList& list, int depth) {
    platform::UsbBus& bus = platform::usb();
    int ports = 0;
    if (!bus.portCount(hub, ports)) return;
    for (int port = 1; port <= ports; ++port) {
        platform::UsbPortInfo info;
        if (!bus.portInfo(hub, port, info) || info.status != platform::kUsbDeviceConnected) {
            continue;
        }
        if (info.isHub) {
            addAttachedHub(hub, port, list, depth);
        } else {
            addDevice(info, list);
        }
    }
}

UsbDeviceList enumerateUsbDevices() {
    platform::UsbBus& bus = platform::usb();
    UsbDeviceList list;
    for (int n = 0; n < kUsbControllerNumbers; ++n) {
        platform::UsbHandle controller = 0;
        if (!bus.openController(n, controller)) continue;
        std::u16string rootName;
        platform::UsbHandle root = 0;
        if (bus.rootHubName(controller, rootName) && bus.openHub(rootName, root)) {
            enumerateHub(root, list);
            bus.close(root);
        }
        bus.close(controller);
    }
    return list;
}

int countTouchDevices(const UsbDeviceRecord* list, const TouchDeviceIds& ids) {
    int count = 0;
    for (const UsbDeviceRecord* r = list; r; r = r->next.get()) {
        if (isTouchDevice(ids, r->descriptor.idVendor, r->descriptor.idProduct)) ++count;
    }
    return count;
}

int countTouchDevices(const TouchDeviceIds& ids) {
    UsbDeviceList list = enumerateUsbDevices();
    return countTouchDevices(list.get(), ids);
}
