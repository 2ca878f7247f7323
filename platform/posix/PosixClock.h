// A monotonic millisecond tick count and a sleep for the native tools.
#pragma once

#include "platform/Clock.h"

namespace posix {

class PosixClock : public platform::Clock {
public:
    void sleep(std::uint32_t ms) override;
    std::uint32_t tickCount() override;
    platform::CalendarDate localDate() override;
};

}  // namespace posix
