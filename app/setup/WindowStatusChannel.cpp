#include "app/setup/WindowStatusChannel.h"

#include <windows.h>

#include "common/Text.h"
#include "platform/win32/Win32SenderAnswer.h"

void WindowStatusChannel::send(std::uint32_t code, const char16_t* text) {
    COPYDATASTRUCT data{};
    data.dwData = code;
    if (text) {
        data.cbData = DWORD((textLength(text) + 1) * sizeof(char16_t));
        data.lpData = const_cast<char16_t*>(text);
    }
    LRESULT answer =
        SendMessageW(static_cast<HWND>(window_), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    // The window let this thread go to show a box: the box's answer is what it waits for.
    if (answer == win32::kWaitForAnswer) win32::waitForAnswer();
}
