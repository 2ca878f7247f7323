#include "platform/UsbIoctl.h"

#include <cstring>

#include "common/Text.h"

namespace usbioctl {

namespace {

void putPort(std::vector<std::uint8_t>& buffer, int port) {
    std::uint32_t index = std::uint32_t(port);
    for (int i = 0; i < 4; ++i) buffer[std::size_t(i)] = std::uint8_t(index >> (8 * i));
}

// The UTF-16 name from `offset` up to its terminator, read no further than the buffer and the
// bytes the driver said it wrote.
bool nameFrom(const std::vector<std::uint8_t>& buffer, std::uint32_t returned, std::size_t offset,
              std::u16string& name) {
    std::size_t end = returned < buffer.size() ? returned : buffer.size();
    name.clear();
    for (std::size_t at = offset; at + 2 <= end; at += 2) {
        char16_t unit = readU16(buffer.data() + at);
        if (unit == 0) break;
        name.push_back(unit);
    }
    return !name.empty();
}

// A probe structure learns ActualLength (the whole structure's size in bytes), then a buffer of
// that size receives the name. A connection name request carries the port in both steps.
bool queryName(const Transfer& transfer, std::uint32_t code, std::size_t probeSize,
               std::size_t lengthOffset, std::size_t nameOffset, int port, std::u16string& name) {
    bool sendsPort = port > 0;
    std::vector<std::uint8_t> probe(probeSize, 0);
    if (sendsPort) putPort(probe, port);
    std::uint32_t returned = 0;
    if (!transfer(code, probe, sendsPort, returned)) return false;
    // The probe was zeroed: a driver that wrote nothing leaves ActualLength 0.
    std::uint32_t actual = readU32(probe.data() + lengthOffset);
    if (actual <= nameOffset || actual > kMaxNameBytes) return false;
    std::vector<std::uint8_t> full(actual, 0);
    if (sendsPort) putPort(full, port);
    if (!transfer(code, full, sendsPort, returned)) return false;
    return nameFrom(full, returned, nameOffset, name);
}

}  // namespace

bool rootHubName(const Transfer& transfer, std::u16string& name) {
    return queryName(transfer, kGetRootHubName, kRootHubNameProbe, 0, kRootHubNameOffset, 0, name);
}

bool portCount(const Transfer& transfer, int& ports) {
    std::vector<std::uint8_t> info(kNodeInformationSize, 0);
    std::uint32_t returned = 0;
    if (!transfer(kGetNodeInformation, info, true, returned)) return false;
    ports = info[kNumberOfPortsOffset];
    return true;
}

bool portInfo(const Transfer& transfer, int port, platform::UsbPortInfo& info) {
    std::vector<std::uint8_t> buffer(kConnectionInfoSize, 0);
    putPort(buffer, port);
    std::uint32_t returned = 0;
    if (!transfer(kGetNodeConnectionInformation, buffer, true, returned)) return false;
    info.status = readU32(buffer.data() + kConnectionStatusOffset);
    info.isHub = buffer[kDeviceIsHubOffset] != 0;
    std::memcpy(info.descriptor, buffer.data() + kDescriptorOffset, sizeof info.descriptor);
    return true;
}

bool attachedHubName(const Transfer& transfer, int port, std::u16string& name) {
    return queryName(transfer, kGetNodeConnectionName, kConnectionNameProbe, kActualLengthOffset,
                     kConnectionNameOffset, port, name);
}

}  // namespace usbioctl
