// Sleep and GetTickCount.
#pragma once

#include "platform/Clock.h"

namespace win32 {

class Win32Clock : public platform::Clock {
public:
    void sleep(std::uint32_t ms) override;
    std::uint32_t tickCount() override;
    platform::CalendarDate localDate() override;
};

}  // namespace win32
