#include "device/DeviceReport.h"

#include <cstdio>

#include "device/UsbDevices.h"

namespace {

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", unsigned(value));
    return text;
}

}  // namespace

std::string touchIdsText(const TouchDeviceIds& ids) {
    std::string text = "vendor 0x" + hex4(ids.vendor);
    if (ids.productCount == 0) return text + ", any product";
    text += ", products";
    for (std::size_t i = 0; i < ids.productCount && i < kMaxTouchProducts; ++i) {
        text += " 0x" + hex4(ids.products[i]);
    }
    return text;
}

std::string attachedDevicesText() {
    UsbDeviceList list = enumerateUsbDevices();
    std::string seen;
    for (const UsbDeviceRecord* d = list.get(); d; d = d->next.get()) {
        seen += " " + hex4(d->descriptor.idVendor) + ":" + hex4(d->descriptor.idProduct);
    }
    return seen.empty() ? "no USB device seen" : "USB devices seen:" + seen;
}
