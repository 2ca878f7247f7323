// The test build's USB bus: the devices a text file lists, read afresh at every walk.
#include <gtest/gtest.h>

#include "app/setup/SimulatedUsbBus.h"
#include "device/UsbDevices.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeUsbBus.h"

namespace {

struct SimulatedBus : testing::Test {
    fake::FakeFileSystem files;
    fake::FakeUsbBus system;
    SimulatedUsbBus bus{u"C:\\Setup\\usb-devices.txt", system};
    platform::Platform saved = platform::os();
    void SetUp() override {
        platform::os().files = &files;
        platform::os().usb = &bus;
    }
    void TearDown() override { platform::os() = saved; }
    void list(const std::string& text) {
        files.addFile(u"C:\\Setup\\usb-devices.txt",
                      std::vector<std::uint8_t>(text.begin(), text.end()));
    }
};

}  // namespace

TEST_F(SimulatedBus, CountsTheTouchDevicesTheFileListsAtEachWalk) {
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 0);  // no file: nothing plugged
    list("aaec:0001\r\n046d:c52b\r\n# a comment\r\nAAEC:0002\n");
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 2);
    list("");
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 0);
}

TEST_F(SimulatedBus, LinesThatAreNoDeviceAreIgnored) {
    std::uint16_t v = 0, p = 0;
    EXPECT_TRUE(parseSimulatedDevice("aaec:0001", v, p));
    EXPECT_EQ(v, 0xAAEC);
    EXPECT_EQ(p, 0x0001);
    EXPECT_FALSE(parseSimulatedDevice("aaec", v, p));
    EXPECT_FALSE(parseSimulatedDevice("aaec:0001x", v, p));
    EXPECT_FALSE(parseSimulatedDevice("hello", v, p));
    list("garbage\nzz:zz\n");
    EXPECT_EQ(countTouchDevices(TouchDeviceIds{}), 0);
}

TEST_F(SimulatedBus, NoticesAreRegisteredWithTheSystemAndGivenBackThere) {
    int window = 0;
    platform::NoticeRegistration registration = nullptr;
    EXPECT_TRUE(bus.registerArrivalNotices(&window, registration));
    EXPECT_EQ(system.registeredWindow(), &window);
    EXPECT_EQ(system.liveRegistrations(), 1);
    EXPECT_TRUE(bus.unregisterArrivalNotices(registration));
    EXPECT_EQ(system.liveRegistrations(), 0);
}
