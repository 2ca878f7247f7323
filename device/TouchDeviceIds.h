// Which attached USB devices are the product's touch devices: one vendor id and, optionally,
// the product ids of that vendor that count (none listed: every product of the vendor). The
// ids travel with the package (package/ProductIdentity.h); a package that names none means the
// frames the installer has always waited for, vendor 0xAAEC, any product.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr std::uint16_t kDefaultTouchVendorId = 0xAAEC;
// Enough for every model of one vendor's frames while keeping the record fixed and small.
constexpr std::size_t kMaxTouchProducts = 16;

struct TouchDeviceIds {
    std::uint16_t vendor = kDefaultTouchVendorId;
    std::uint8_t productCount = 0;  // 0: any product of the vendor
    std::uint16_t products[kMaxTouchProducts] = {};
};

bool operator==(const TouchDeviceIds& a, const TouchDeviceIds& b);

// A vendor id other than 0 (what a device that failed to report its descriptor shows), at most
// kMaxTouchProducts product ids and none of them twice.
bool areSoundTouchIds(const TouchDeviceIds& ids);

// Whether a device descriptor's ids name one of the product's touch devices.
bool isTouchDevice(const TouchDeviceIds& ids, std::uint16_t vendor, std::uint16_t product);

// Whether a device interface path names one of the product's touch devices. The vendor's mark
// "vid_xxxx" (four lower-case hexadecimal digits) may stand anywhere, A-Z folded to lower case
// and nothing else folded. When product ids are listed, the mark must be followed at once by
// "&pid_" and exactly four hexadecimal digits naming a listed product; a path cut short or
// garbled there names no touch device. The whole name is examined, however long.
bool isTouchDeviceName(std::u16string_view name, const TouchDeviceIds& ids);
