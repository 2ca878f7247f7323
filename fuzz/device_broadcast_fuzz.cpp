// Device-change classification on arbitrary broadcast bytes. The first byte picks the notice
// (arrival, removal, anything else); the rest is the structure lParam would point to.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/DeviceArrival.h"
#include "device/UsbDevices.h"
#include "platform/fake/FakeUsbBus.h"
#include "platform/fake/FaultPlan.h"

namespace {

fake::FakeUsbBus& bus() {
    static fake::FakeUsbBus b;
    static bool built = false;
    if (!built) {
        b.addController(0, u"ROOT", 2).device(2, kDefaultTouchVendorId);
        built = true;
    }
    return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    platform::os().usb = &bus();
    fake::faults().clear();
    static const std::uintptr_t notices[] = {kDeviceArrival, kDeviceRemoveComplete,
                                             kDevicesChanged};
    std::uintptr_t wParam = notices[data[0] % 3];
    std::vector<std::uint8_t> broadcast(data + 1, data + size);
    const std::uint8_t* bytes = broadcast.empty() ? nullptr : broadcast.data();

    bool candidate = mayBeTouchArrival(wParam, bytes, broadcast.size(), TouchDeviceIds{});
    std::u16string name;
    bool named = deviceInterfaceName(bytes, broadcast.size(), name);
    if (named && name.size() * 2 + 28 > broadcast.size()) __builtin_trap();
    if (wParam == kDeviceRemoveComplete && candidate) __builtin_trap();
    if (wParam == kDeviceArrival &&
        candidate != (named && isTouchDeviceName(name, TouchDeviceIds{}))) {
        __builtin_trap();
    }
    if (wParam == kDevicesChanged && !candidate) __builtin_trap();
    // Listing products only narrows what the vendor's mark alone would match.
    TouchDeviceIds listed;
    listed.productCount = 2;
    listed.products[0] = 0x0001;
    listed.products[1] = 0x0C20;
    if (isTouchDeviceName(name, listed) && !isTouchDeviceName(name, TouchDeviceIds{})) {
        __builtin_trap();
    }
    return 0;
}
