#include "platform/win32/Win32UsbBus.h"

#include <windows.h>
// The device and USB headers need the base types first.
#include <dbt.h>
#include <winioctl.h>
// usbioctl.h uses CTL_CODE from winioctl.h.
#include <usbioctl.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "common/Text.h"
#include "platform/win32/Wide.h"

namespace win32 {

namespace {

// The I/O controls (FILE_DEVICE_USB, METHOD_BUFFERED, FILE_ANY_ACCESS) and the byte-packed
// layouts they fill. The node-information request shares its number with the root hub name:
// hubs and host controllers tell them apart by who receives them.
constexpr DWORD kGetRootHubName = 0x220408;
constexpr DWORD kGetNodeInformation = 0x220408;
constexpr DWORD kGetNodeConnectionInformation = 0x22040C;
constexpr DWORD kGetNodeConnectionName = 0x220414;

constexpr std::size_t kRootHubNameProbe = 6;  // ActualLength, one name unit
constexpr std::size_t kRootHubNameOffset = 4;
constexpr std::size_t kNodeInformationSize = 76;  // NodeType, hub descriptor, bus-powered flag
constexpr std::size_t kNumberOfPortsOffset = 6;
constexpr std::size_t kConnectionInfoSize = 365;  // header and room for 30 pipe entries
constexpr std::size_t kDescriptorOffset = 4;
constexpr std::size_t kDeviceIsHubOffset = 24;
constexpr std::size_t kConnectionStatusOffset = 31;
constexpr std::size_t kConnectionNameProbe = 10;  // ConnectionIndex, ActualLength, one unit
constexpr std::size_t kActualLengthOffset = 4;
constexpr std::size_t kConnectionNameOffset = 8;

// Names are short (a hub's is about a hundred units); a length beyond this is a driver fault.
constexpr std::uint32_t kMaxNameBytes = 32 * 1024;

static_assert(kGetRootHubName == IOCTL_USB_GET_ROOT_HUB_NAME);
static_assert(kGetNodeInformation == IOCTL_USB_GET_NODE_INFORMATION);
static_assert(kGetNodeConnectionInformation == IOCTL_USB_GET_NODE_CONNECTION_INFORMATION);
static_assert(kGetNodeConnectionName == IOCTL_USB_GET_NODE_CONNECTION_NAME);
static_assert(sizeof(USB_ROOT_HUB_NAME) == kRootHubNameProbe);
static_assert(offsetof(USB_ROOT_HUB_NAME, RootHubName) == kRootHubNameOffset);
static_assert(sizeof(USB_NODE_INFORMATION) == kNodeInformationSize);
static_assert(offsetof(USB_NODE_INFORMATION, u.HubInformation.HubDescriptor.bNumberOfPorts) ==
              kNumberOfPortsOffset);
static_assert(sizeof(USB_NODE_CONNECTION_INFORMATION) + 30 * sizeof(USB_PIPE_INFO) ==
              kConnectionInfoSize);
static_assert(offsetof(USB_NODE_CONNECTION_INFORMATION, DeviceDescriptor) == kDescriptorOffset);
static_assert(offsetof(USB_NODE_CONNECTION_INFORMATION, DeviceIsHub) == kDeviceIsHubOffset);
static_assert(offsetof(USB_NODE_CONNECTION_INFORMATION, ConnectionStatus) ==
              kConnectionStatusOffset);
static_assert(sizeof(USB_NODE_CONNECTION_NAME) == kConnectionNameProbe);
static_assert(offsetof(USB_NODE_CONNECTION_NAME, ActualLength) == kActualLengthOffset);
static_assert(offsetof(USB_NODE_CONNECTION_NAME, NodeName) == kConnectionNameOffset);

HANDLE handleOf(platform::UsbHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool openPath(const wchar_t* path, platform::UsbHandle& handle) {
    HANDLE h =
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle = reinterpret_cast<platform::UsbHandle>(h);
    return true;
}

// One request whose output (and input, when `sendInput`) is the whole buffer.
bool control(HANDLE h, DWORD code, std::vector<std::uint8_t>& buffer, bool sendInput,
             DWORD& returned) {
    returned = 0;
    DWORD size = DWORD(buffer.size());
    return DeviceIoControl(h, code, sendInput ? buffer.data() : nullptr, sendInput ? size : 0,
                           buffer.data(), size, &returned, nullptr) != FALSE;
}

// The UTF-16 name from `offset` up to its terminator, read no further than the buffer and the
// bytes the driver said it wrote.
bool nameFrom(const std::vector<std::uint8_t>& buffer, DWORD returned, std::size_t offset,
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

// The two-step name queries: a probe structure learns ActualLength (the whole structure's size
// in bytes), then a buffer of that size receives the name. A connection name request carries
// the port number in both steps.
bool queryName(HANDLE h, DWORD code, std::size_t probeSize, std::size_t lengthOffset,
               std::size_t nameOffset, const std::uint32_t* port, std::u16string& name) {
    std::vector<std::uint8_t> probe(probeSize, 0);
    if (port) std::memcpy(probe.data(), port, 4);
    DWORD returned = 0;
    if (!control(h, code, probe, port != nullptr, returned)) return false;
    std::uint32_t actual = readU32(probe.data() + lengthOffset);
    if (actual == 0 || actual <= nameOffset || actual > kMaxNameBytes) return false;
    std::vector<std::uint8_t> full(actual, 0);
    if (port) std::memcpy(full.data(), port, 4);
    if (!control(h, code, full, port != nullptr, returned)) return false;
    return nameFrom(full, returned, nameOffset, name);
}

std::wstring devicePath(const std::u16string& name) {
    return std::wstring(L"\\\\.\\") + std::wstring(name.begin(), name.end());
}

// GUID_DEVINTERFACE_USB_DEVICE: every USB device.
constexpr GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

}  // namespace

bool Win32UsbBus::openController(int number, platform::UsbHandle& controller) {
    wchar_t path[32];
    wsprintfW(path, L"\\\\.\\HCD%d", number);
    return openPath(path, controller);
}

bool Win32UsbBus::rootHubName(platform::UsbHandle controller, std::u16string& name) {
    return queryName(handleOf(controller), kGetRootHubName, kRootHubNameProbe, 0,
                     kRootHubNameOffset, nullptr, name);
}

bool Win32UsbBus::openHub(const std::u16string& name, platform::UsbHandle& hub) {
    if (name.empty() || name.find(u'\0') != std::u16string::npos) return false;
    return openPath(devicePath(name).c_str(), hub);
}

bool Win32UsbBus::portCount(platform::UsbHandle hub, int& ports) {
    std::vector<std::uint8_t> info(kNodeInformationSize, 0);
    DWORD returned = 0;
    if (!control(handleOf(hub), kGetNodeInformation, info, true, returned)) return false;
    ports = info[kNumberOfPortsOffset];
    return true;
}

bool Win32UsbBus::portInfo(platform::UsbHandle hub, int port, platform::UsbPortInfo& info) {
    std::vector<std::uint8_t> buffer(kConnectionInfoSize, 0);
    std::uint32_t index = std::uint32_t(port);
    std::memcpy(buffer.data(), &index, 4);
    DWORD returned = 0;
    if (!control(handleOf(hub), kGetNodeConnectionInformation, buffer, true, returned)) {
        return false;
    }
    info.status = readU32(buffer.data() + kConnectionStatusOffset);
    info.isHub = buffer[kDeviceIsHubOffset] != 0;
    std::memcpy(info.descriptor, buffer.data() + kDescriptorOffset, sizeof info.descriptor);
    return true;
}

bool Win32UsbBus::attachedHubName(platform::UsbHandle hub, int port, std::u16string& name) {
    std::uint32_t index = std::uint32_t(port);
    return queryName(handleOf(hub), kGetNodeConnectionName, kConnectionNameProbe,
                     kActualLengthOffset, kConnectionNameOffset, &index, name);
}

void Win32UsbBus::close(platform::UsbHandle handle) {
    CloseHandle(handleOf(handle));
}

void deviceBroadcast(std::intptr_t lParam, const std::uint8_t*& bytes, std::size_t& size) {
    bytes = reinterpret_cast<const std::uint8_t*>(lParam);
    size = bytes ? reinterpret_cast<const DEV_BROADCAST_HDR*>(bytes)->dbch_size : 0;
}

bool Win32UsbBus::registerArrivalNotices(void* window) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    std::memset(&filter, 0, sizeof filter);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_reserved = 0;
    filter.dbcc_classguid = kUsbDeviceInterface;
    static_assert(sizeof filter == 32);
    HDEVNOTIFY notice = RegisterDeviceNotificationW(static_cast<HWND>(window), &filter,
                                                    DEVICE_NOTIFY_WINDOW_HANDLE);
    // The registration lasts as long as the window; the handle is not needed again.
    return notice != nullptr;
}

}  // namespace win32
