#include "platform/posix/PosixClock.h"

#include <time.h>

#include <cerrno>

namespace posix {

void PosixClock::sleep(std::uint32_t ms) {
    timespec left{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

std::uint32_t PosixClock::tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t ms = std::uint64_t(now.tv_sec) * 1000u + std::uint64_t(now.tv_nsec) / 1000000u;
    return std::uint32_t(ms);  // wraps like GetTickCount
}

platform::CalendarDate PosixClock::localDate() {
    time_t now = time(nullptr);
    tm local{};
    if (!localtime_r(&now, &local)) return {};
    return {std::uint16_t(local.tm_year + 1900), std::uint16_t(local.tm_mon + 1),
            std::uint16_t(local.tm_mday)};
}

}  // namespace posix
