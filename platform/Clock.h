// Time as the workers see it: a millisecond tick count and a sleep. The fake clock only counts,
// so polling loops that wait for seconds run at once in tests.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace platform {

// A day of the local calendar.
struct CalendarDate {
    std::uint16_t year = 0, month = 0, day = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Sleep.
    virtual void sleep(std::uint32_t ms) = 0;
    // GetTickCount: milliseconds since start-up, wrapping at 2^32 (about 49.7 days). Compare
    // two readings only by their unsigned difference.
    virtual std::uint32_t tickCount() = 0;
    // GetLocalTime's year, month and day.
    virtual CalendarDate localDate() = 0;
};

inline Clock& clock() {
    return *os().clock;
}

// Milliseconds from `since` to `now`, correct across one wrap of the tick count.
inline std::uint32_t elapsedSince(std::uint32_t since, std::uint32_t now) {
    return now - since;
}

}  // namespace platform
