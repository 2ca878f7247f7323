#include <gtest/gtest.h>

#include <vector>

#include "device/DeviceArrival.h"
#include "device/UsbDevices.h"
#include "platform/fake/FakeUsbBus.h"
#include "platform/fake/FaultPlan.h"

namespace {

const std::u16string kTouchPath =
    u"\\\\?\\USB#VID_AAEC&PID_0C20#5&1b2c3d4e&0&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// A broadcast as the system lays it out: size, device type, reserved, class GUID, then for a
// device interface the NUL-terminated name.
std::vector<std::uint8_t> broadcast(std::uint32_t type, const std::u16string& name,
                                    bool terminate = true) {
    std::vector<std::uint8_t> b;
    put32(b, 0);
    put32(b, type);
    put32(b, 0);
    for (int i = 0; i < 16; ++i) b.push_back(std::uint8_t(0xA0 + i));
    for (char16_t c : name) {
        b.push_back(std::uint8_t(c));
        b.push_back(std::uint8_t(c >> 8));
    }
    if (terminate) b.insert(b.end(), {0, 0});
    std::uint32_t size = std::uint32_t(b.size());
    for (int i = 0; i < 4; ++i) b[i] = std::uint8_t(size >> (8 * i));
    return b;
}

TEST(TouchDeviceName, MatchesTheMarkInAnyAsciiCaseAnywhere) {
    EXPECT_TRUE(isTouchDeviceName(kTouchPath, TouchDeviceIds{}));
    EXPECT_TRUE(isTouchDeviceName(u"\\\\?\\usb#vid_aaec&pid_0c20#5", TouchDeviceIds{}));
    EXPECT_TRUE(isTouchDeviceName(u"\\\\?\\USB#vId_AaEc&PID_0001", TouchDeviceIds{}));
    EXPECT_TRUE(isTouchDeviceName(u"vid_aaec", TouchDeviceIds{}));
    EXPECT_TRUE(isTouchDeviceName(u"prefix#VID_AAEC", TouchDeviceIds{}));
    EXPECT_FALSE(isTouchDeviceName(u"prefix#VID_AAE", TouchDeviceIds{}));
    EXPECT_FALSE(isTouchDeviceName(u"", TouchDeviceIds{}));
    EXPECT_FALSE(isTouchDeviceName(u"\\\\?\\USB#VID_046D&PID_C52B#6&2a", TouchDeviceIds{}));
    EXPECT_FALSE(isTouchDeviceName(u"VID-AAEC", TouchDeviceIds{}));
    EXPECT_FALSE(isTouchDeviceName(u"PID_AAEC", TouchDeviceIds{}));
}

TEST(TouchDeviceName, FoldsNothingButAsciiCapitals) {
    // Dotted capital I (U+0130) and the Kelvin sign (U+212A) fold to i or k in some locales.
    EXPECT_FALSE(isTouchDeviceName(u"V\u0130D_AAEC", TouchDeviceIds{}));
    EXPECT_FALSE(
        isTouchDeviceName(u"VID_AAE\u0421", TouchDeviceIds{}));  // Cyrillic capital ES looks like C
    EXPECT_FALSE(
        isTouchDeviceName(u"\uFF36\uFF29\uFF24_AAEC", TouchDeviceIds{}));  // full-width VID
    // Units that sit 0x20 above or below the letters must not be taken for them.
    EXPECT_FALSE(
        isTouchDeviceName(u"vid\x7f"
                          u"aaec",
                          TouchDeviceIds{}));
    EXPECT_FALSE(isTouchDeviceName(u"VID?AAEC", TouchDeviceIds{}));
}

TEST(TouchDeviceName, LongNamesAreExaminedWholeWithoutOverflow) {
    std::u16string longName(300, u'x');
    EXPECT_TRUE(isTouchDeviceName(longName + u"VID_AAEC", TouchDeviceIds{}));
    EXPECT_FALSE(isTouchDeviceName(longName + u"VID_AAE", TouchDeviceIds{}));
    EXPECT_TRUE(isTouchDeviceName(std::u16string(251, u'x') + u"vid_aaec",
                                  TouchDeviceIds{}));  // ends at unit 259
    EXPECT_TRUE(isTouchDeviceName(std::u16string(252, u'x') + u"vid_aaec",
                                  TouchDeviceIds{}));  // one unit beyond
}

TEST(DeviceBroadcast, OnlyDeviceInterfaceBroadcastsCarryAName) {
    std::u16string name;
    auto iface = broadcast(kDeviceTypeInterface, kTouchPath);
    ASSERT_TRUE(deviceInterfaceName(iface.data(), iface.size(), name));
    EXPECT_EQ(name, kTouchPath);

    // A volume (type 2) or port (type 3) broadcast, even with bytes that look like a mark.
    for (std::uint32_t type : {0u, 2u, 3u, 6u}) {
        auto other = broadcast(type, kTouchPath);
        EXPECT_FALSE(deviceInterfaceName(other.data(), other.size(), name)) << type;
        EXPECT_FALSE(
            mayBeTouchArrival(kDeviceArrival, other.data(), other.size(), TouchDeviceIds{}))
            << type;
    }
    EXPECT_FALSE(deviceInterfaceName(nullptr, 100, name));
    EXPECT_FALSE(deviceInterfaceName(iface.data(), 11, name));
    EXPECT_FALSE(deviceInterfaceName(iface.data(), 27, name));
}

TEST(DeviceBroadcast, TheNameIsReadWithinTheBroadcastOnly) {
    std::u16string name;
    // No terminator: the name runs to the end of the broadcast and no further.
    auto open = broadcast(kDeviceTypeInterface, u"USB#VID_AAEC", false);
    ASSERT_TRUE(deviceInterfaceName(open.data(), open.size(), name));
    EXPECT_EQ(name, u"USB#VID_AAEC");
    EXPECT_TRUE(mayBeTouchArrival(kDeviceArrival, open.data(), open.size(), TouchDeviceIds{}));

    // Fewer bytes available than the header claims: the bytes available bound the read.
    EXPECT_FALSE(mayBeTouchArrival(kDeviceArrival, open.data(), open.size() - 2, TouchDeviceIds{}));
    // A header that claims less than the bytes hold: its own size bounds the read.
    auto claimsLess = open;
    claimsLess[0] = std::uint8_t(open.size() - 4);
    EXPECT_FALSE(
        mayBeTouchArrival(kDeviceArrival, claimsLess.data(), claimsLess.size(), TouchDeviceIds{}));
    ASSERT_TRUE(deviceInterfaceName(claimsLess.data(), claimsLess.size(), name));
    EXPECT_EQ(name, u"USB#VID_AA");
    // An odd trailing byte is not half a unit.
    auto odd = broadcast(kDeviceTypeInterface, u"AB", false);
    odd.push_back('C');
    odd[0] = std::uint8_t(odd.size());
    ASSERT_TRUE(deviceInterfaceName(odd.data(), odd.size(), name));
    EXPECT_EQ(name, u"AB");
    // A name of a thousand units is read whole.
    auto huge = broadcast(kDeviceTypeInterface, std::u16string(1000, u'x') + u"vid_aaec");
    EXPECT_TRUE(mayBeTouchArrival(kDeviceArrival, huge.data(), huge.size(), TouchDeviceIds{}));
}

class DeviceChange : public ::testing::Test {
protected:
    void SetUp() override {
        fake::faults().clear();
        saved_ = platform::os().usb;
        platform::os().usb = &bus;
    }
    void TearDown() override {
        platform::os().usb = saved_;
        fake::faults().clear();
    }
    int walks() const {
        int n = 0;
        for (const auto& call : fake::faults().trace()) n += call == "usb.openController 0";
        return n;
    }
    fake::FakeUsbBus bus;

private:
    platform::UsbBus* saved_ = nullptr;
};

TEST_F(DeviceChange, ArrivalsAreJudgedByNameAloneAndRemovalsNever) {
    bus.addController(0, u"ROOT").device(1, kDefaultTouchVendorId);
    auto touch = broadcast(kDeviceTypeInterface, kTouchPath);
    auto other = broadcast(kDeviceTypeInterface, u"\\\\?\\USB#VID_046D&PID_C52B#6&2a");

    EXPECT_TRUE(mayBeTouchArrival(kDeviceArrival, touch.data(), touch.size(), TouchDeviceIds{}));
    // Another vendor's arrival is no candidate, however often and whatever is attached.
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(
            mayBeTouchArrival(kDeviceArrival, other.data(), other.size(), TouchDeviceIds{}));
    }
    EXPECT_FALSE(mayBeTouchArrival(kDeviceArrival, nullptr, 0, TouchDeviceIds{}));
    EXPECT_FALSE(
        mayBeTouchArrival(kDeviceRemoveComplete, touch.data(), touch.size(), TouchDeviceIds{}));
    EXPECT_FALSE(mayBeTouchArrival(kDeviceRemoveComplete, nullptr, 0, TouchDeviceIds{}));
    EXPECT_EQ(walks(), 0);
}

TEST_F(DeviceChange, OtherNoticesAskTheBus) {
    EXPECT_FALSE(mayBeTouchArrival(kDevicesChanged, nullptr, 0, TouchDeviceIds{}));
    bus.addController(3, u"ROOT").hub(2, u"HUB").device(4, kDefaultTouchVendorId);
    EXPECT_TRUE(mayBeTouchArrival(kDevicesChanged, nullptr, 0, TouchDeviceIds{}));
    EXPECT_TRUE(mayBeTouchArrival(0x0018, nullptr, 0, TouchDeviceIds{}));  // DBT_CONFIGCHANGED
    EXPECT_EQ(walks(), 3);
    // A removal notice of the touch device, with the device still attached, is still no arrival.
    auto touch = broadcast(kDeviceTypeInterface, kTouchPath);
    EXPECT_FALSE(
        mayBeTouchArrival(kDeviceRemoveComplete, touch.data(), touch.size(), TouchDeviceIds{}));
}

TEST_F(DeviceChange, RegistrationHandsTheWindowToTheSystemAndIsGivenBackOnce) {
    int window = 0;
    EXPECT_TRUE(registerDeviceArrival(&window));
    EXPECT_EQ(bus.registeredWindow(), &window);
    // A second registration replaces the first instead of leaking it.
    EXPECT_TRUE(registerDeviceArrival(&window));
    EXPECT_EQ(bus.liveRegistrations(), 1);
    unregisterDeviceArrival();
    unregisterDeviceArrival();
    EXPECT_EQ(bus.liveRegistrations(), 0);
    EXPECT_EQ(bus.badCloses(), 0);
    fake::faults().failOperation("usb.registerArrivalNotices");
    EXPECT_FALSE(registerDeviceArrival(&window));
    unregisterDeviceArrival();
    EXPECT_EQ(bus.badCloses(), 0);
}

}  // namespace
