// The test build's USB bus: the devices a text file lists, read afresh at every walk.
#include <gtest/gtest.h>

#include "app/setup/SimulatedPackage.h"
#include "app/setup/SimulatedUsbBus.h"
#include "device/UsbDevices.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeResources.h"
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

// The test build's package from a file beside it, when there is one.
TEST(SimulatedPackageFile, TheFileStandsInForThePackageResourceAlone) {
    fake::FakeFileSystem files;
    fake::FakeResources own;
    own.add(199, u"RES_DATA", {1, 2, 3});
    own.add(250, u"RES_IMAGE_DATA", {9});
    platform::Platform saved = platform::os();
    platform::os().files = &files;

    SimulatedPackage none(u"C:\\Setup\\usbsim-package.bin", own);
    platform::ResourceView view;
    ASSERT_TRUE(none.lock(199, u"RES_DATA", view));
    EXPECT_EQ(std::vector<std::uint8_t>(view.data, view.data + view.size),
              (std::vector<std::uint8_t>{1, 2, 3}));
    none.release(view);
    EXPECT_EQ(view.data, nullptr);

    files.addFile(u"C:\\Setup\\usbsim-package.bin", {7, 7, 7, 7});
    SimulatedPackage package(u"C:\\Setup\\usbsim-package.bin", own);
    ASSERT_TRUE(package.lock(199, u"RES_DATA", view));
    EXPECT_EQ(std::vector<std::uint8_t>(view.data, view.data + view.size),
              (std::vector<std::uint8_t>{7, 7, 7, 7}));
    const std::uint8_t* first = view.data;
    package.release(view);
    EXPECT_EQ(view.size, 0u);
    // Read once: the package a loaded configuration points into stays where it was.
    files.addFile(u"C:\\Setup\\usbsim-package.bin", {8});
    ASSERT_TRUE(package.lock(199, u"RES_DATA", view));
    EXPECT_EQ(view.data, first);
    EXPECT_EQ(view.size, 4u);
    package.release(view);
    // Everything else is the executable's own.
    ASSERT_TRUE(package.lock(250, u"RES_IMAGE_DATA", view));
    EXPECT_EQ(view.size, 1u);
    EXPECT_EQ(view.data[0], 9);
    package.release(view);
    EXPECT_FALSE(package.lock(198, u"RES_DATA", view));
    platform::os() = saved;
}
