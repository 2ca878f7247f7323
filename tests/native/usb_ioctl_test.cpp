#include <gtest/gtest.h>

#include <cstring>

#include "platform/UsbIoctl.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Call {
    std::uint32_t code;
    std::size_t size;
    bool sendInput;
    Bytes input;
};

// A driver that answers from a script: `answer` fills the output buffer of call N (0-based) and
// says how many bytes it wrote; a negative count fails the call.
struct ScriptedDriver {
    std::vector<Call> calls;
    std::function<int(std::size_t call, Bytes& out)> answer;

    usbioctl::Transfer transfer() {
        return [this](std::uint32_t code, Bytes& buffer, bool sendInput, std::uint32_t& returned) {
            calls.push_back({code, buffer.size(), sendInput, sendInput ? buffer : Bytes{}});
            int wrote = answer(calls.size() - 1, buffer);
            if (wrote < 0) return false;
            returned = std::uint32_t(wrote);
            return true;
        };
    }
};

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

// Writes a name structure the way a driver does: ActualLength, then as much of the
// NUL-terminated name as fits. Returns the bytes written.
int writeName(Bytes& out, std::size_t lengthAt, std::size_t nameAt, const std::u16string& name,
              bool terminate = true) {
    std::size_t actual = nameAt + 2 * (name.size() + (terminate ? 1 : 0));
    put32(out, lengthAt, std::uint32_t(actual));
    std::size_t at = nameAt;
    for (char16_t c : name) {
        if (at + 2 > out.size()) break;
        out[at++] = std::uint8_t(c);
        out[at++] = std::uint8_t(c >> 8);
    }
    if (terminate && at + 2 <= out.size()) at += 2;  // the buffer came zeroed
    return int(at < out.size() ? at : out.size());
}

TEST(UsbIoctl, RootHubNameIsAskedInTwoSteps) {
    const std::u16string name = u"USB#ROOT_HUB30#4&2a6b6f5e&0#{f18a0e88-c30c-11d0-8815}";
    ScriptedDriver driver;
    driver.answer = [&](std::size_t, Bytes& out) { return writeName(out, 0, 4, name); };
    std::u16string got;
    ASSERT_TRUE(usbioctl::rootHubName(driver.transfer(), got));
    EXPECT_EQ(got, name);
    ASSERT_EQ(driver.calls.size(), 2u);
    EXPECT_EQ(driver.calls[0].code, 0x220408u);
    EXPECT_EQ(driver.calls[0].size, 6u);
    EXPECT_FALSE(driver.calls[0].sendInput);
    EXPECT_EQ(driver.calls[1].size, 4 + 2 * (name.size() + 1));
    EXPECT_FALSE(driver.calls[1].sendInput);
}

TEST(UsbIoctl, ConnectionNameCarriesThePortInBothSteps) {
    ScriptedDriver driver;
    driver.answer = [&](std::size_t, Bytes& out) { return writeName(out, 4, 8, u"HUB-7"); };
    std::u16string got;
    ASSERT_TRUE(usbioctl::attachedHubName(driver.transfer(), 258, got));
    EXPECT_EQ(got, u"HUB-7");
    ASSERT_EQ(driver.calls.size(), 2u);
    EXPECT_EQ(driver.calls[0].code, 0x220414u);
    EXPECT_EQ(driver.calls[0].size, 10u);
    EXPECT_EQ(driver.calls[1].size, 8u + 12u);
    for (const Call& c : driver.calls) {
        ASSERT_TRUE(c.sendInput);
        EXPECT_EQ(c.input[0], 2);  // 258, little-endian
        EXPECT_EQ(c.input[1], 1);
        EXPECT_EQ(c.input[2], 0);
    }
}

TEST(UsbIoctl, NameQueriesReadOnlyWhatTheDriverWrote) {
    std::u16string got;
    ScriptedDriver driver;
    auto query = [&](auto answer) {
        driver.calls.clear();
        driver.answer = answer;
        return usbioctl::attachedHubName(driver.transfer(), 1, got);
    };
    // ActualLength 0, or too small to hold a single unit, or absurd: no second step.
    for (std::uint32_t actual : {0u, 4u, 8u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        EXPECT_FALSE(query([&](std::size_t, Bytes& out) {
            put32(out, 4, actual);
            return 10;
        })) << actual;
        EXPECT_EQ(driver.calls.size(), 1u) << actual;
    }
    // Either step failing.
    EXPECT_FALSE(query([](std::size_t, Bytes&) { return -1; }));
    EXPECT_FALSE(query(
        [](std::size_t n, Bytes& out) { return n == 0 ? writeName(out, 4, 8, u"HUB") : -1; }));
    // An empty name is no name.
    EXPECT_FALSE(query([](std::size_t, Bytes& out) { return writeName(out, 4, 8, u""); }));
    // No terminator: the name ends with the buffer.
    EXPECT_TRUE(query([](std::size_t, Bytes& out) { return writeName(out, 4, 8, u"ABC", false); }));
    EXPECT_EQ(got, u"ABC");
    // Bytes past the count the driver reported are not read, even when the buffer holds more.
    EXPECT_TRUE(query([](std::size_t n, Bytes& out) {
        int wrote = writeName(out, 4, 8, u"ABCDEF");
        return n == 0 ? wrote : 8 + 4;
    }));
    EXPECT_EQ(got, u"AB");
    // A driver that claims more bytes than the buffer holds is bounded by the buffer.
    EXPECT_TRUE(query([](std::size_t, Bytes& out) {
        writeName(out, 4, 8, u"XY", false);
        return 1 << 20;
    }));
    EXPECT_EQ(got, u"XY");
    // An odd ActualLength leaves half a unit that is not read.
    EXPECT_TRUE(query([](std::size_t n, Bytes& out) {
        if (n == 0) {
            put32(out, 4, 13);
            return 10;
        }
        out[8] = 'Q';
        out[10] = 'R';
        out[12] = 'S';
        return 13;
    }));
    EXPECT_EQ(got, u"QR");
}

TEST(UsbIoctl, PortCountIsTheHubDescriptorsPortByte) {
    ScriptedDriver driver;
    driver.answer = [](std::size_t, Bytes& out) {
        out[4] = 9;     // bDescriptorLength
        out[5] = 0x29;  // hub descriptor
        out[6] = 255;
        return int(out.size());
    };
    int ports = 0;
    ASSERT_TRUE(usbioctl::portCount(driver.transfer(), ports));
    EXPECT_EQ(ports, 255);
    EXPECT_EQ(driver.calls[0].code, 0x220408u);
    EXPECT_EQ(driver.calls[0].size, 76u);
    EXPECT_TRUE(driver.calls[0].sendInput);

    driver.answer = [](std::size_t, Bytes&) { return -1; };
    ports = 3;
    EXPECT_FALSE(usbioctl::portCount(driver.transfer(), ports));
    EXPECT_EQ(ports, 3);
}

TEST(UsbIoctl, PortInfoReadsThePackedFields) {
    ScriptedDriver driver;
    driver.answer = [](std::size_t, Bytes& out) {
        for (std::size_t i = 0; i < 18; ++i) out[4 + i] = std::uint8_t(0x40 + i);
        out[24] = 1;
        put32(out, 31, 0x04030201);  // unaligned, as the packed layout puts it
        return 35;
    };
    platform::UsbPortInfo info;
    ASSERT_TRUE(usbioctl::portInfo(driver.transfer(), 7, info));
    EXPECT_EQ(driver.calls[0].code, 0x22040Cu);
    EXPECT_EQ(driver.calls[0].size, 365u);
    EXPECT_EQ(driver.calls[0].input[0], 7);
    EXPECT_EQ(info.status, 0x04030201u);
    EXPECT_TRUE(info.isHub);
    EXPECT_EQ(info.descriptor[0], 0x40);
    EXPECT_EQ(info.descriptor[17], 0x51);

    driver.answer = [](std::size_t, Bytes& out) {
        out[24] = 0;
        put32(out, 31, 1);
        return 365;
    };
    ASSERT_TRUE(usbioctl::portInfo(driver.transfer(), 1, info));
    EXPECT_FALSE(info.isHub);
    EXPECT_EQ(info.status, 1u);
    driver.answer = [](std::size_t, Bytes&) { return -1; };
    EXPECT_FALSE(usbioctl::portInfo(driver.transfer(), 1, info));
}

}  // namespace
