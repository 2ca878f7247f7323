#include "device/DeviceArrival.h"

#include "common/Text.h"
#include "device/UsbDevices.h"
#include "platform/UsbBus.h"

namespace {

// DEV_BROADCAST_HDR, then for a device interface the class GUID and the name.
constexpr std::size_t kHeaderBytes = 12;
constexpr std::size_t kNameOffset = 28;

// The window thread's one registration.
platform::NoticeRegistration registration = nullptr;

}  // namespace

bool registerDeviceArrival(void* window) {
    unregisterDeviceArrival();
    return platform::usb().registerArrivalNotices(window, registration);
}

void unregisterDeviceArrival() {
    if (!registration) return;
    platform::usb().unregisterArrivalNotices(registration);
    registration = nullptr;
}

bool deviceInterfaceName(const std::uint8_t* broadcast, std::size_t size, std::u16string& name) {
    name.clear();
    if (!broadcast || size < kHeaderBytes) return false;
    std::size_t declared = readU32(broadcast);
    if (declared < size) size = declared;
    if (readU32(broadcast + 4) != kDeviceTypeInterface || size < kNameOffset) return false;
    for (std::size_t at = kNameOffset; at + 2 <= size; at += 2) {
        char16_t unit = readU16(broadcast + at);
        if (unit == 0) break;
        name.push_back(unit);
    }
    return true;
}

bool mayBeTouchArrival(std::uintptr_t wParam, const std::uint8_t* broadcast, std::size_t size,
                       const TouchDeviceIds& ids) {
    if (wParam == kDeviceArrival) {
        std::u16string name;
        return deviceInterfaceName(broadcast, size, name) && isTouchDeviceName(name, ids);
    }
    if (wParam == kDeviceRemoveComplete) return false;
    return countTouchDevices(ids) > 0;
}
