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

#include "platform/UsbIoctl.h"
#include "platform/win32/Wide.h"

namespace win32 {

namespace {

using namespace usbioctl;

// The portable layouts must be the system's own.
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

// DeviceIoControl on the handle, the buffer as output and, when asked, as input.
Transfer transferOn(platform::UsbHandle handle) {
    return [h = handleOf(handle)](std::uint32_t code, std::vector<std::uint8_t>& buffer,
                                  bool sendInput, std::uint32_t& returned) {
        DWORD size = DWORD(buffer.size());
        DWORD got = 0;
        BOOL ok = DeviceIoControl(h, code, sendInput ? buffer.data() : nullptr,
                                  sendInput ? size : 0, buffer.data(), size, &got, nullptr);
        returned = got;
        return ok != FALSE;
    };
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
    return usbioctl::rootHubName(transferOn(controller), name);
}

bool Win32UsbBus::openHub(const std::u16string& name, platform::UsbHandle& hub) {
    if (name.empty() || name.find(u'\0') != std::u16string::npos) return false;
    return openPath(devicePath(name).c_str(), hub);
}

bool Win32UsbBus::portCount(platform::UsbHandle hub, int& ports) {
    return usbioctl::portCount(transferOn(hub), ports);
}

bool Win32UsbBus::portInfo(platform::UsbHandle hub, int port, platform::UsbPortInfo& info) {
    return usbioctl::portInfo(transferOn(hub), port, info);
}

bool Win32UsbBus::attachedHubName(platform::UsbHandle hub, int port, std::u16string& name) {
    return usbioctl::attachedHubName(transferOn(hub), port, name);
}

void Win32UsbBus::close(platform::UsbHandle handle) {
    CloseHandle(handleOf(handle));
}

void deviceBroadcast(std::intptr_t lParam, const std::uint8_t*& bytes, std::size_t& size) {
    bytes = reinterpret_cast<const std::uint8_t*>(lParam);
    size = bytes ? reinterpret_cast<const DEV_BROADCAST_HDR*>(bytes)->dbch_size : 0;
}

bool Win32UsbBus::registerArrivalNotices(void* window, platform::NoticeRegistration& registration) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    std::memset(&filter, 0, sizeof filter);
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_reserved = 0;
    filter.dbcc_classguid = kUsbDeviceInterface;
    static_assert(sizeof filter == 32);
    HDEVNOTIFY notice = RegisterDeviceNotificationW(static_cast<HWND>(window), &filter,
                                                    DEVICE_NOTIFY_WINDOW_HANDLE);
    registration = notice;
    return notice != nullptr;
}

bool Win32UsbBus::unregisterArrivalNotices(platform::NoticeRegistration registration) {
    return registration && UnregisterDeviceNotification(registration) != FALSE;
}

}  // namespace win32
