// pkgtool usb: every USB device the installer's walk finds, and how many of them are touch
// devices of the demo product (vendor 0xAAEC): what a support engineer checks when the installer keeps waiting for the device.
#include <cstdio>

#include "device/UsbDevices.h"
#include "tools/pkgtool/Command.h"

namespace {

int runUsb(const std::vector<std::string>& args) {
    if (!args.empty()) {
        std::fputs("usb: takes no arguments\n", stderr);
        return 2;
    }
    if (!platform::os().usb) {
        std::fputs("usb: the USB tree walk is not available on this system\n", stderr);
        return 1;
    }
    UsbDeviceList devices = enumerateUsbDevices();
    for (const UsbDeviceRecord* r = devices.get(); r; r = r->next.get()) {
        std::printf("vendor 0x%04X product 0x%04X\n", unsigned(r->descriptor.idVendor),
                    unsigned(r->descriptor.idProduct));
    }
    std::printf("touch devices: %d\n", countTouchDevices(devices.get(), TouchDeviceIds{}));
    return 0;
}

const CommandRegistration registration("usb", "usb", runUsb);

}  // namespace
