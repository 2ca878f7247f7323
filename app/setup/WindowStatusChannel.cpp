#include "app/setup/WindowStatusChannel.h"

#include <windows.h>

#include "common/Text.h"

void WindowStatusChannel::send(std::uint32_t code, const char16_t* text) {
    COPYDATASTRUCT data{};
    data.dwData = code;
    if (text) {
        data.cbData = DWORD((textLength(text) + 1) * sizeof(char16_t));
        data.lpData = const_cast<char16_t*>(text);
    }
    SendMessageW(static_cast<HWND>(window_), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}
