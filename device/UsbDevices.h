// Counting the touch devices attached right now by walking every USB host controller and hub.
// Nothing is kept between calls: each walk builds its own list and the caller releases it.
#pragma once

#include <cstdint>
#include <memory>

#include "device/TouchDeviceIds.h"
#include "platform/UsbBus.h"

constexpr int kUsbControllerNumbers = 255;

// The standard 18-byte USB 2.0 device descriptor, fields in their order on the wire.
struct UsbDeviceDescriptor {
    std::uint8_t bLength = 0;
    std::uint8_t bDescriptorType = 0;
    std::uint16_t bcdUSB = 0;
    std::uint8_t bDeviceClass = 0;
    std::uint8_t bDeviceSubClass = 0;
    std::uint8_t bDeviceProtocol = 0;
    std::uint8_t bMaxPacketSize0 = 0;
    std::uint16_t idVendor = 0;
    std::uint16_t idProduct = 0;
    std::uint16_t bcdDevice = 0;
    std::uint8_t iManufacturer = 0;
    std::uint8_t iProduct = 0;
    std::uint8_t iSerialNumber = 0;
    std::uint8_t bNumConfigurations = 0;
};

UsbDeviceDescriptor descriptorFromBytes(const std::uint8_t (&bytes)[platform::kUsbDescriptorBytes]);

// One attached device that is not a hub. The list is singly linked, newest first; dropping the
// head releases the whole list.
struct UsbDeviceRecord {
    UsbDeviceDescriptor descriptor;
    std::unique_ptr<UsbDeviceRecord> next;

    ~UsbDeviceRecord();
};

using UsbDeviceList = std::unique_ptr<UsbDeviceRecord>;

// Every non-hub device below every host controller (possibly none).
UsbDeviceList enumerateUsbDevices();

// Appends the non-hub devices below one open hub, descending into the hubs attached to it.
// `depth` counts the external hubs above this one.
void enumerateHub(platform::UsbHandle hub, UsbDeviceList& list, int depth = 0);

// Attached devices that are the product's touch devices (`ids`, from its package); 0 when none
// or when nothing could be opened.
int countTouchDevices(const TouchDeviceIds& ids);
int countTouchDevices(const UsbDeviceRecord* list, const TouchDeviceIds& ids);
