// A clock that only counts: sleep() moves the tick count forward at once, so polling loops and
// time limits of seconds or minutes run in microseconds.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace fake {

class FakeClock : public platform::Clock {
public:
    explicit FakeClock(std::uint32_t start = 0) : now_(start) {}

    void sleep(std::uint32_t ms) override;
    std::uint32_t tickCount() override;
    platform::CalendarDate localDate() override { return date; }
    platform::CalendarDate date{2026, 12, 9};

    // Time passing without a sleep call (a wait on a process, say); not traced.
    void advance(std::uint32_t ms) { now_ += ms; }
    std::uint32_t now() const { return now_; }
    // Sum of every sleep() so far.
    std::uint64_t slept() const { return slept_; }

private:
    std::uint32_t now_;
    std::uint64_t slept_ = 0;
};

}  // namespace fake
