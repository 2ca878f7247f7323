#include "platform/win32/Win32WindowHost.h"

#include <windows.h>

namespace win32 {

bool Win32WindowHost::startTimer(void* window, int id, unsigned milliseconds) {
    return SetTimer(static_cast<HWND>(window), UINT_PTR(id), milliseconds, nullptr) != 0;
}

void Win32WindowHost::stopTimer(void* window, int id) {
    KillTimer(static_cast<HWND>(window), UINT_PTR(id));
}

}  // namespace win32
