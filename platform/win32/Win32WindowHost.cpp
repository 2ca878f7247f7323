#include "platform/win32/Win32WindowHost.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {
HWND handle(void* window) {
    return static_cast<HWND>(window);
}
}  // namespace

void Win32WindowHost::show(bool visible) {
    ShowWindow(handle(window_), visible ? SW_SHOW : SW_HIDE);
}

void Win32WindowHost::setTimer(int id, unsigned ms) {
    SetTimer(handle(window_), UINT_PTR(id), ms, nullptr);
}

void Win32WindowHost::killTimer(int id) {
    KillTimer(handle(window_), UINT_PTR(id));
}

void Win32WindowHost::capture() {
    SetCapture(handle(window_));
}

void Win32WindowHost::releaseCapture() {
    ReleaseCapture();
}

void Win32WindowHost::cursorPos(std::int32_t& x, std::int32_t& y) {
    POINT p{};
    GetCursorPos(&p);
    x = p.x;
    y = p.y;
}

void Win32WindowHost::postClose() {
    PostMessageW(handle(window_), WM_CLOSE, 0, 0);
}

void Win32WindowHost::messageBox(const char16_t* text, const char16_t* caption) {
    MessageBoxW(handle(window_), wide(text), wide(caption), MB_OK);
}

bool Win32WindowHost::monitorAt(std::int32_t x, std::int32_t y, platform::ScreenRect& monitor) {
    HMONITOR found = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
    MONITORINFOEXW info{};
    static_assert(sizeof(info) == 104);
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(found, &info)) return false;
    monitor = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
               info.rcMonitor.bottom};
    return true;
}

}  // namespace win32
