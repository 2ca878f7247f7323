#include <gtest/gtest.h>

#include <algorithm>

#include "device/UsbDevices.h"
#include "platform/fake/FakeUsbBus.h"
#include "platform/fake/FaultPlan.h"

namespace {

constexpr std::uint16_t kOtherVendor = 0x046D;

class UsbWalk : public ::testing::Test {
protected:
    void SetUp() override {
        fake::faults().clear();
        saved_ = platform::os().usb;
        platform::os().usb = &bus;
    }
    void TearDown() override {
        // Whatever the walk met, it gives back every handle it opened, exactly once.
        EXPECT_EQ(bus.openHandles(), 0);
        EXPECT_EQ(bus.badCloses(), 0);
        platform::os().usb = saved_;
        fake::faults().clear();
    }
    int traced(const std::string& prefix) const {
        const auto& t = fake::faults().trace();
        return int(std::count_if(t.begin(), t.end(),
                                 [&](const std::string& s) { return s.rfind(prefix, 0) == 0; }));
    }

    fake::FakeUsbBus bus;

private:
    platform::UsbBus* saved_ = nullptr;
};

TEST_F(UsbWalk, NoHostControllerCountsNothingAfterTryingAll255Numbers) {
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 0);
    EXPECT_EQ(enumerateUsbDevices(), nullptr);
    EXPECT_EQ(traced("usb.openController"), 2 * kUsbControllerNumbers);
    EXPECT_EQ(traced("usb.openController 254"), 2);
    EXPECT_EQ(traced("usb.openController 255"), 0);
}

TEST_F(UsbWalk, GapsInControllerNumbersDoNotEndTheSearch) {
    bus.addController(0, u"ROOT0").device(1, kDefaultTouchVendorId);
    bus.addController(7, u"ROOT7").device(3, kOtherVendor);
    bus.addController(254, u"ROOT254").device(4, kDefaultTouchVendorId, 0xFFFF);
    // A number beyond the 255 tried is never reached.
    bus.addController(255, u"ROOT255").device(1, kDefaultTouchVendorId);

    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 2);
    UsbDeviceList list = enumerateUsbDevices();
    int devices = 0;
    for (const UsbDeviceRecord* r = list.get(); r; r = r->next.get()) ++devices;
    EXPECT_EQ(devices, 3);
}

TEST_F(UsbWalk, DevicesBehindNestedHubsAreFoundAndHubsAreNotDevices) {
    fake::FakeUsbHub& root = bus.addController(2, u"ROOT", 2);
    fake::FakeUsbHub& outer = root.hub(1, u"HUB-A", 4);
    fake::FakeUsbHub& inner = outer.hub(4, u"HUB-B", 7);
    inner.device(7, kDefaultTouchVendorId, 0x0000);  // last port of the innermost hub
    outer.device(2, kOtherVendor);
    root.hub(2, u"HUB-C", 2).device(1, kDefaultTouchVendorId, 0x1234);

    UsbDeviceList list = enumerateUsbDevices();
    std::vector<std::uint16_t> products;
    for (const UsbDeviceRecord* r = list.get(); r; r = r->next.get()) {
        products.push_back(r->descriptor.idProduct);
    }
    // Newest first: HUB-A's port 2, then HUB-B on HUB-A's port 4, then HUB-C.
    EXPECT_EQ(products, (std::vector<std::uint16_t>{0x1234, 0x0000, 0x0001}));
    EXPECT_EQ(countTouchDevices(list.get(), TouchDeviceIds{}), 2);
}

TEST_F(UsbWalk, OnlyPortsOneToTheHubsPortCountAreVisited) {
    fake::FakeUsbHub& root = bus.addController(0, u"ROOT", 4);
    root.device(4, kDefaultTouchVendorId);
    root.device(5, kDefaultTouchVendorId);  // beyond bNumberOfPorts
    root.device(0, kDefaultTouchVendorId);  // ports are numbered from 1
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 1);
    EXPECT_EQ(traced("usb.portInfo"), 4);

    root.portCount = 255;
    root.device(255, kDefaultTouchVendorId);
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 3);
}

TEST_F(UsbWalk, PortsThatAreNotConnectedAreSkippedWhateverTheirDescriptor) {
    fake::FakeUsbHub& root = bus.addController(0, u"ROOT", 8);
    for (int port = 1; port <= 6; ++port) root.device(port, kDefaultTouchVendorId);
    root.status(1, 0);  // no device
    root.status(2, 2);  // failed enumeration
    root.status(3, 3);  // general failure
    root.status(4, 4);  // overcurrent
    root.status(5, 0x101);
    // A hub whose port is not connected is not entered either.
    root.hub(7, u"HUB", 2).device(1, kDefaultTouchVendorId);
    root.status(7, 5);
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 1);
    EXPECT_EQ(traced("usb.openHub HUB"), 0);
}

TEST_F(UsbWalk, VendorIsReadLittleEndianAndAnyProductCounts) {
    fake::FakeUsbHub& root = bus.addController(0, u"ROOT", 4);
    root.device(1, 0xECAA);  // the vendor id's bytes swapped
    root.device(2, kDefaultTouchVendorId, 0x0000);
    root.device(3, kDefaultTouchVendorId, 0xFFFF);
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 2);

    std::uint8_t raw[18] = {18,   1,    0x00, 0x02, 0xEF, 0x02, 0x01, 64, 0xEC,
                            0xAA, 0x34, 0x12, 0x01, 0x03, 1,    2,    3,  1};
    UsbDeviceDescriptor d = descriptorFromBytes(raw);
    EXPECT_EQ(d.bcdUSB, 0x0200);
    EXPECT_EQ(d.bDeviceClass, 0xEF);
    EXPECT_EQ(d.bMaxPacketSize0, 64);
    EXPECT_EQ(d.idVendor, kDefaultTouchVendorId);
    EXPECT_EQ(d.idProduct, 0x1234);
    EXPECT_EQ(d.bcdDevice, 0x0301);
    EXPECT_EQ(d.iSerialNumber, 3);
    EXPECT_EQ(d.bNumConfigurations, 1);
}

TEST_F(UsbWalk, AFailedQuerySkipsOnlyWhatItConcerns) {
    bus.addController(0, u"ROOT0").device(1, kDefaultTouchVendorId);
    bus.controller(0).failName = true;                // whole controller skipped
    bus.addController(1, u"ROOT1").failOpen = true;   // root hub does not open
    bus.addController(2, u"ROOT2").failQuery = true;  // hub information fails
    bus.addHub(u"ROOT1").device(1, kDefaultTouchVendorId);
    bus.addHub(u"ROOT2").device(1, kDefaultTouchVendorId);

    fake::FakeUsbHub& root = bus.addController(3, u"ROOT3", 6);
    root.device(1, kDefaultTouchVendorId).failQuery = true;  // port query fails
    root.hub(2, u"HUB-NAMELESS").device(1, kDefaultTouchVendorId);
    root.ports[2].failName = true;  // hub name query fails
    root.hub(3, u"HUB-CLOSED").device(1, kDefaultTouchVendorId);
    bus.addHub(u"HUB-CLOSED").failOpen = true;  // attached hub does not open
    root.ports[4].hubName = u"HUB-MISSING";     // a name no hub answers to
    root.device(5, kDefaultTouchVendorId);      // the walk goes on after all that
    bus.addController(4, u"ROOT4").device(2, kDefaultTouchVendorId);

    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 2);
}

TEST_F(UsbWalk, InjectedFailuresLoseOnlyTheAffectedBranch) {
    fake::FakeUsbHub& root = bus.addController(0, u"ROOT", 3);
    root.device(1, kDefaultTouchVendorId);
    root.hub(2, u"HUB").device(1, kDefaultTouchVendorId);
    root.device(3, kDefaultTouchVendorId);
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 3);

    const std::pair<const char*, int> cases[] = {{"usb.portInfo", 1},    {"usb.attachedHubName", 1},
                                                 {"usb.openHub", 2},     {"usb.portCount", 2},
                                                 {"usb.rootHubName", 1}, {"usb.openController", 1}};
    const int expected[] = {2, 2, 2, 2, 0, 0};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        fake::faults().clear();
        fake::faults().failOperation(cases[i].first, cases[i].second);
        EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), expected[i]) << cases[i].first;
        EXPECT_TRUE(fake::faults().injected());
    }
}

TEST_F(UsbWalk, AHubThatNamesItselfDoesNotRecurseWithoutEnd) {
    fake::FakeUsbHub& root = bus.addController(0, u"ROOT", 1);
    fake::FakeUsbHub& loop = root.hub(1, u"LOOP", 2);
    loop.ports[1].hubName = u"LOOP";
    loop.device(2, kDefaultTouchVendorId);
    EXPECT_GT(countTouchDevices(TouchDeviceIds{}), 0);
}

TEST(UsbDeviceList, ALongListIsReleasedWithoutDeepRecursion) {
    UsbDeviceList list;
    for (int i = 0; i < 200000; ++i) {
        auto r = std::make_unique<UsbDeviceRecord>();
        r->descriptor.idVendor = kDefaultTouchVendorId;
        r->next = std::move(list);
        list = std::move(r);
    }
    EXPECT_EQ(countTouchDevices(list.get(), TouchDeviceIds{}), 200000);
    list.reset();  // a recursive release would overflow the stack here
}

}  // namespace
