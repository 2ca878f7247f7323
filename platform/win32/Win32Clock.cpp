#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace win32 {

void Win32Clock::sleep(std::uint32_t ms) {
    Sleep(ms);
}

std::uint32_t Win32Clock::tickCount() {
    return GetTickCount();
}

platform::CalendarDate Win32Clock::localDate() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

}  // namespace win32
