// Where the install worker's status messages go: the wizard window (a synchronous
// WM_COPYDATA), a recorder in tests, a printer in the tool. A worker without a channel sends
// nothing.
#pragma once

#include <cstdint>

namespace platform {

class StatusChannel {
public:
    virtual ~StatusChannel() = default;
    // `text` is none for codes that carry no text (the message's cbData is then 0).
    virtual void send(std::uint32_t code, const char16_t* text) = 0;
};

}  // namespace platform
