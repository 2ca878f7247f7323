// pkgtool usb [PACKAGE.bin]: every USB device the installer's walk finds, and how many of them
// are the product's touch devices (those the package names; without one, the demo frames'):
// what a support engineer checks when the installer keeps waiting for the device.
#include <cstdio>

#include "device/UsbDevices.h"
#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/PackageFile.h"

namespace {

int runUsb(const std::vector<std::string>& args) {
    if (args.size() > 1) {
        std::fputs("usage: pkgtool usb [PACKAGE.bin]\n", stderr);
        return 2;
    }
    TouchDeviceIds ids;
    if (!args.empty()) {
        LoadedPackage package;
        if (!package.load(args[0])) return 1;
        ids = package.config().identity.touch;
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
    std::printf("touch devices: %d\n", countTouchDevices(devices.get(), ids));
    return 0;
}

const CommandRegistration registration("usb", "usb [PACKAGE.bin]", runUsb);

}  // namespace
