#include <gtest/gtest.h>

#include <windows.h>
// After windows.h.
#include <dbt.h>

#include <cstring>
#include <vector>

#include "device/DeviceArrival.h"
#include "device/UsbDevices.h"
#include "platform/win32/Win32UsbBus.h"

namespace {

class Win32Usb : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::os().usb;
        platform::os().usb = &bus;
    }
    void TearDown() override { platform::os().usb = saved_; }
    win32::Win32UsbBus bus;

private:
    platform::UsbBus* saved_ = nullptr;
};

// This machine has no USB host controller (Wine has none): the walk tries every number and
// comes back empty-handed without failing.
TEST_F(Win32Usb, AMachineWithoutControllersHasNoDevices) {
    platform::UsbHandle handle = 0;
    EXPECT_FALSE(bus.openController(0, handle));
    EXPECT_FALSE(
        bus.openHub(u"USB#ROOT_HUB20#4&1&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}", handle));
    EXPECT_FALSE(bus.openHub(u"", handle));
    EXPECT_EQ(enumerateUsbDevices(), nullptr);
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 0);
    EXPECT_FALSE(mayBeTouchArrival(kDevicesChanged, nullptr, 0, TouchDeviceIds{}));
}

// Queries sent to something that is no USB node fail cleanly instead of reading junk.
TEST_F(Win32Usb, QueriesOnAnotherDeviceFail) {
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    auto h = reinterpret_cast<platform::UsbHandle>(nul);
    std::u16string name;
    int ports = -1;
    platform::UsbPortInfo info;
    EXPECT_FALSE(bus.rootHubName(h, name));
    EXPECT_FALSE(bus.portCount(h, ports));
    EXPECT_EQ(ports, -1);
    EXPECT_FALSE(bus.portInfo(h, 1, info));
    EXPECT_FALSE(bus.attachedHubName(h, 1, name));
    EXPECT_TRUE(name.empty());
    bus.close(h);
}

// Broadcasts laid out by the system's own structure definitions reach the classification whole.
TEST_F(Win32Usb, SystemBroadcastsAreClassifiedFromLParam) {
    const wchar_t touch[] =
        L"\\\\?\\USB#VID_AAEC&PID_0C20#5&1b2c3d4e&0&2#"
        L"{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    std::vector<std::uint8_t> storage(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + sizeof touch);
    auto* iface = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.data());
    iface->dbcc_size = DWORD(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + sizeof touch);
    iface->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(iface->dbcc_name, touch, sizeof touch);

    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    win32::deviceBroadcast(reinterpret_cast<std::intptr_t>(iface), bytes, size);
    EXPECT_EQ(size, iface->dbcc_size);
    std::u16string name;
    ASSERT_TRUE(deviceInterfaceName(bytes, size, name));
    EXPECT_EQ(name.size(), std::size(touch) - 1);
    EXPECT_TRUE(mayBeTouchArrival(DBT_DEVICEARRIVAL, bytes, size, TouchDeviceIds{}));
    EXPECT_FALSE(mayBeTouchArrival(DBT_DEVICEREMOVECOMPLETE, bytes, size, TouchDeviceIds{}));

    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 0xFFFFFFFF;
    win32::deviceBroadcast(reinterpret_cast<std::intptr_t>(&volume), bytes, size);
    EXPECT_FALSE(mayBeTouchArrival(DBT_DEVICEARRIVAL, bytes, size, TouchDeviceIds{}));

    win32::deviceBroadcast(0, bytes, size);
    EXPECT_EQ(bytes, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(mayBeTouchArrival(DBT_DEVICEARRIVAL, bytes, size, TouchDeviceIds{}));
}

LRESULT CALLBACK quietProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcW(window, message, w, l);
}

TEST_F(Win32Usb, ArrivalNoticesCanBeRequestedForAWindow) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = quietProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UsbNoticeTest";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr) << GetLastError();
    EXPECT_TRUE(registerDeviceArrival(window));
    // Given back before the window goes: the system holds no registration for a dead window.
    platform::NoticeRegistration registration = nullptr;
    ASSERT_TRUE(bus.registerArrivalNotices(window, registration));
    EXPECT_TRUE(bus.unregisterArrivalNotices(registration));
    unregisterDeviceArrival();
    DestroyWindow(window);
    EXPECT_FALSE(registerDeviceArrival(nullptr));
}

}  // namespace
