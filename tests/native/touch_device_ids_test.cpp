// Which devices are the product's own: the vendor alone, the vendor with listed products, other
// vendors never, and device paths from the system that are cut short or garbled.
#include <gtest/gtest.h>

#include <initializer_list>

#include "device/DeviceArrival.h"
#include "device/TouchDeviceIds.h"
#include "device/UsbDevices.h"
#include "platform/fake/FakeUsbBus.h"
#include "platform/fake/FaultPlan.h"

namespace {

TouchDeviceIds idsOf(std::uint16_t vendor, std::initializer_list<std::uint16_t> products = {}) {
    TouchDeviceIds ids;
    ids.vendor = vendor;
    for (std::uint16_t p : products) ids.products[ids.productCount++] = p;
    return ids;
}

const std::u16string kOrbisPad =
    u"\\\\?\\USB#VID_1234&PID_0042#5&1b2c3d4e&0&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST(TouchDeviceIds, TheDefaultsAreEveryProductOfTheFramesVendor) {
    TouchDeviceIds ids;
    EXPECT_EQ(ids.vendor, 0xAAEC);
    EXPECT_TRUE(isTouchDevice(ids, 0xAAEC, 0x0000));
    EXPECT_TRUE(isTouchDevice(ids, 0xAAEC, 0xFFFF));
    EXPECT_FALSE(isTouchDevice(ids, 0x1234, 0x0001));
    EXPECT_TRUE(areSoundTouchIds(ids));
}

TEST(TouchDeviceIds, ListedProductsOnlyAndOnlyOfTheVendor) {
    TouchDeviceIds ids = idsOf(0x1234, {0x0042, 0x0000});
    EXPECT_TRUE(isTouchDevice(ids, 0x1234, 0x0042));
    EXPECT_TRUE(isTouchDevice(ids, 0x1234, 0x0000));
    EXPECT_FALSE(isTouchDevice(ids, 0x1234, 0x0043));
    EXPECT_FALSE(isTouchDevice(ids, 0xAAEC, 0x0042));  // the old frames are not this product's
    EXPECT_FALSE(isTouchDevice(ids, 0x4212, 0x0042));  // bytes swapped
    // Ids beyond the count are no ids, even when set.
    ids.products[2] = 0x0043;
    EXPECT_FALSE(isTouchDevice(ids, 0x1234, 0x0043));
}

TEST(TouchDeviceIds, SoundIdsNameAVendorAndNoProductTwice) {
    EXPECT_FALSE(areSoundTouchIds(idsOf(0x0000)));
    EXPECT_FALSE(areSoundTouchIds(idsOf(0x1234, {0x0001, 0x0002, 0x0001})));
    TouchDeviceIds full;
    for (std::uint16_t p = 0; p < kMaxTouchProducts; ++p) full.products[full.productCount++] = p;
    EXPECT_TRUE(areSoundTouchIds(full));
    full.productCount = kMaxTouchProducts + 1;
    EXPECT_FALSE(areSoundTouchIds(full));
    EXPECT_TRUE(idsOf(0x1234, {1, 2}) == idsOf(0x1234, {1, 2}));
    EXPECT_FALSE(idsOf(0x1234, {1, 2}) == idsOf(0x1234, {2, 1}));
    EXPECT_FALSE(idsOf(0x1234, {1}) == idsOf(0x1234));
}

TEST(TouchDeviceName, AVendorAloneMatchesItsMarkInAnyAsciiCase) {
    TouchDeviceIds ids = idsOf(0x1234);
    EXPECT_TRUE(isTouchDeviceName(kOrbisPad, ids));
    EXPECT_TRUE(isTouchDeviceName(u"usb#vid_1234&pid_ffff", ids));
    EXPECT_TRUE(isTouchDeviceName(u"vid_1234", ids));
    EXPECT_FALSE(isTouchDeviceName(u"\\\\?\\USB#VID_AAEC&PID_0001#5", ids));
    EXPECT_FALSE(isTouchDeviceName(u"USB#VID_123&PID_0042", ids));
    EXPECT_FALSE(isTouchDeviceName(u"USB#PID_1234", ids));
    // Hexadecimal letters of the vendor's own id fold like the rest.
    TouchDeviceIds letters = idsOf(0xBEEF);
    EXPECT_TRUE(isTouchDeviceName(u"USB#VID_BEEF&PID_0001", letters));
    EXPECT_TRUE(isTouchDeviceName(u"usb#vid_beef", letters));
    EXPECT_FALSE(isTouchDeviceName(u"USB#VID_BEE\u0421", letters));  // Cyrillic ES
}

TEST(TouchDeviceName, ListedProductsNeedTheirWholeIdRightAfterTheVendor) {
    TouchDeviceIds ids = idsOf(0x1234, {0x0042, 0xC0DE});
    EXPECT_TRUE(isTouchDeviceName(kOrbisPad, ids));
    EXPECT_TRUE(isTouchDeviceName(u"USB\\VID_1234&PID_C0DE&MI_00", ids));
    EXPECT_TRUE(isTouchDeviceName(u"usb#vid_1234&pid_c0de", ids));  // ends with the id
    EXPECT_FALSE(isTouchDeviceName(u"USB#VID_1234&PID_0043#5", ids));
    EXPECT_FALSE(isTouchDeviceName(u"USB#VID_AAEC&PID_0042#5", ids));
    // Cut short or garbled where the product should be.
    for (const char16_t* damaged :
         {u"USB#VID_1234", u"USB#VID_1234&", u"USB#VID_1234&PID_", u"USB#VID_1234&PID_004",
          u"USB#VID_1234&PID_00420#5", u"USB#VID_1234&PID_00G2", u"USB#VID_1234#PID_0042",
          u"USB#VID_1234&&PID_0042", u"USB#VID_1234&PID_ 042", u"USB#VID_1234&PID_\uFF10042"}) {
        EXPECT_FALSE(isTouchDeviceName(damaged, ids)) << std::u16string_view(damaged).size();
    }
    // Only ASCII hexadecimal digits extend an id: a digit of another script ends it.
    EXPECT_TRUE(isTouchDeviceName(u"USB#VID_1234&PID_0042\u0660", ids));
    // The product's pair may come after a stranger's mark in the same path.
    EXPECT_TRUE(isTouchDeviceName(u"VID_1234&PID_9999\\VID_1234&PID_0042", ids));
    EXPECT_FALSE(isTouchDeviceName(u"", ids));
}

TEST(TouchDeviceName, ArrivalsAreJudgedByThePackagesIds) {
    auto broadcastOf = [](const std::u16string& name) {
        std::vector<std::uint8_t> b(28, 0);
        b[4] = 5;  // a device interface
        for (char16_t c : name) b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
        b.insert(b.end(), {0, 0});
        b[0] = std::uint8_t(b.size());
        b[1] = std::uint8_t(b.size() >> 8);
        return b;
    };
    auto orbis = broadcastOf(kOrbisPad);
    auto frame = broadcastOf(u"\\\\?\\USB#VID_AAEC&PID_0001#5");
    EXPECT_TRUE(mayBeTouchArrival(kDeviceArrival, orbis.data(), orbis.size(), idsOf(0x1234)));
    EXPECT_FALSE(mayBeTouchArrival(kDeviceArrival, frame.data(), frame.size(), idsOf(0x1234)));
    EXPECT_TRUE(mayBeTouchArrival(kDeviceArrival, frame.data(), frame.size(), TouchDeviceIds{}));
    EXPECT_FALSE(mayBeTouchArrival(kDeviceArrival, orbis.data(), orbis.size(), TouchDeviceIds{}));
}

class TouchCount : public ::testing::Test {
protected:
    void SetUp() override {
        fake::faults().clear();
        saved_ = platform::os().usb;
        platform::os().usb = &bus;
    }
    void TearDown() override { platform::os().usb = saved_; }
    fake::FakeUsbBus bus;

private:
    platform::UsbBus* saved_ = nullptr;
};

TEST_F(TouchCount, TheWalkCountsThePackagesDevicesAndNoOthers) {
    fake::FakeUsbHub& root = bus.addController(0, u"ROOT", 6);
    root.device(1, 0xAAEC, 0x0001);
    root.device(2, 0x1234, 0x0042);
    root.hub(3, u"HUB", 4).device(4, 0x1234, 0x0043);
    root.device(4, 0x046D, 0x0042);
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 1);
    EXPECT_EQ(countTouchDevices(idsOf(0x1234)), 2);
    EXPECT_EQ(countTouchDevices(idsOf(0x1234, {0x0043})), 1);
    EXPECT_EQ(countTouchDevices(idsOf(0x1234, {0x0044})), 0);
    EXPECT_EQ(countTouchDevices(idsOf(0x046D, {0x0001})), 0);
}

}  // namespace
