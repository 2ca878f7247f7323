// The install worker's messages to the wizard window: a synchronous WM_COPYDATA whose dwData is
// the status code and whose data is the text with its terminator (or nothing).
#pragma once

#include "platform/StatusChannel.h"

class WindowStatusChannel : public platform::StatusChannel {
public:
    void attach(void* window) { window_ = window; }
    void send(std::uint32_t code, const char16_t* text) override;

private:
    void* window_ = nullptr;
};
