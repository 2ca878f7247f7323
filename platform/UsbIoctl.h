// The USB hub and host controller I/O controls as bytes: codes, the byte-packed request
// layouts and the two-step name queries. The Windows layer supplies the transfer
// (DeviceIoControl on an open handle); everything read back is bounded by the buffer and by
// the byte count the driver reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/UsbBus.h"

namespace usbioctl {

// FILE_DEVICE_USB, METHOD_BUFFERED, FILE_ANY_ACCESS. The node-information request shares its
// number with the root hub name: hubs and host controllers tell them apart by who receives it.
constexpr std::uint32_t kGetRootHubName = 0x220408;
constexpr std::uint32_t kGetNodeInformation = 0x220408;
constexpr std::uint32_t kGetNodeConnectionInformation = 0x22040C;
constexpr std::uint32_t kGetNodeConnectionName = 0x220414;

// USB_ROOT_HUB_NAME: ActualLength, then the name.
constexpr std::size_t kRootHubNameProbe = 6;
constexpr std::size_t kRootHubNameOffset = 4;
// USB_NODE_INFORMATION: NodeType, the hub descriptor, HubIsBusPowered.
constexpr std::size_t kNodeInformationSize = 76;
constexpr std::size_t kNumberOfPortsOffset = 6;
// USB_NODE_CONNECTION_INFORMATION with room for 30 USB_PIPE_INFO entries.
constexpr std::size_t kConnectionInfoSize = 365;
constexpr std::size_t kDescriptorOffset = 4;
constexpr std::size_t kDeviceIsHubOffset = 24;
constexpr std::size_t kConnectionStatusOffset = 31;
// USB_NODE_CONNECTION_NAME: ConnectionIndex, ActualLength, then the name.
constexpr std::size_t kConnectionNameProbe = 10;
constexpr std::size_t kActualLengthOffset = 4;
constexpr std::size_t kConnectionNameOffset = 8;

// Names are short (a hub's is about a hundred units); a longer ActualLength is a driver fault.
constexpr std::uint32_t kMaxNameBytes = 32 * 1024;

// One request: the buffer is the output, and the input too when `sendInput`; `returned` is the
// byte count the driver wrote. False when the request fails.
using Transfer = std::function<bool(std::uint32_t code, std::vector<std::uint8_t>& buffer,
                                    bool sendInput, std::uint32_t& returned)>;

bool rootHubName(const Transfer& transfer, std::u16string& name);
bool portCount(const Transfer& transfer, int& ports);
bool portInfo(const Transfer& transfer, int port, platform::UsbPortInfo& info);
bool attachedHubName(const Transfer& transfer, int port, std::u16string& name);

}  // namespace usbioctl
