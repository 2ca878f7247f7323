// Any replies from a USB host controller or hub driver: each request's buffer is filled from the
// input, with the byte count the driver claims and whether it succeeded. A name is made only of
// units the driver wrote inside the buffer, holds no terminator, and no request ever asks for a
// buffer over the limit whatever ActualLength says.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/UsbIoctl.h"

namespace {

struct Driver {
    FuzzedDataProvider& input;
    std::size_t lastSize = 0;
    std::uint32_t lastReturned = 0;

    bool reply(std::vector<std::uint8_t>& buffer, std::uint32_t& returned) {
        if (buffer.size() > usbioctl::kMaxNameBytes) __builtin_trap();
        if (!input.ConsumeBool()) return false;
        std::vector<std::uint8_t> written =
            input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 512));
        std::copy_n(written.begin(), std::min(written.size(), buffer.size()), buffer.begin());
        returned = input.ConsumeIntegral<std::uint32_t>();
        lastSize = buffer.size();
        lastReturned = returned;
        return true;
    }
};

// Units that came from inside the buffer and the claimed count, after the name's offset.
void checkName(const Driver& driver, const std::u16string& name, std::size_t offset) {
    std::size_t end = std::min<std::size_t>(driver.lastSize, driver.lastReturned);
    if (name.empty() || offset + name.size() * 2 > end) __builtin_trap();
    if (name.find(u'\0') != std::u16string::npos) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Driver driver{input};
    usbioctl::Transfer transfer = [&driver](std::uint32_t, std::vector<std::uint8_t>& buffer, bool,
                                            std::uint32_t& returned) {
        return driver.reply(buffer, returned);
    };
    while (input.remaining_bytes() > 0) {
        std::u16string name;
        int port = input.ConsumeIntegralInRange<int>(1, 255);
        switch (input.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
                if (usbioctl::rootHubName(transfer, name)) {
                    checkName(driver, name, usbioctl::kRootHubNameOffset);
                }
                break;
            case 1: {
                int ports = -1;
                if (usbioctl::portCount(transfer, ports) && (ports < 0 || ports > 255)) {
                    __builtin_trap();
                }
                break;
            }
            case 2: {
                platform::UsbPortInfo info{};
                usbioctl::portInfo(transfer, port, info);
                break;
            }
            default:
                if (usbioctl::attachedHubName(transfer, port, name)) {
                    checkName(driver, name, usbioctl::kConnectionNameOffset);
                }
                break;
        }
    }
    return 0;
}
