#include "platform/win32/Win32WindowHost.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {
HWND handle(void* window) {
    return static_cast<HWND>(window);
}

struct BoxSearch {
    HWND owner = nullptr;
    HWND box = nullptr;
};

// A message box is a dialog (class "#32770") owned by the window it was shown for.
BOOL CALLBACK findOwnedBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    wchar_t kind[8] = {};
    if (GetWindow(window, GW_OWNER) != search->owner || !GetClassNameW(window, kind, 8) ||
        lstrcmpW(kind, L"#32770") != 0) {
        return TRUE;
    }
    search->box = window;
    return FALSE;
}
}  // namespace

void Win32WindowHost::show(void* window, bool visible) {
    ShowWindow(handle(window), visible ? SW_SHOW : SW_HIDE);
}

bool Win32WindowHost::startTimer(void* window, int id, unsigned milliseconds) {
    return SetTimer(handle(window), UINT_PTR(id), milliseconds, nullptr) != 0;
}

void Win32WindowHost::stopTimer(void* window, int id) {
    KillTimer(handle(window), UINT_PTR(id));
}

void Win32WindowHost::capture(void* window) {
    SetCapture(handle(window));
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

void Win32WindowHost::postClose(void* window) {
    PostMessageW(handle(window), WM_CLOSE, 0, 0);
}

void Win32WindowHost::messageBox(void* window, const char16_t* text, const char16_t* caption) {
    MessageBoxW(handle(window), wide(text), wide(caption), MB_OK);
}

bool Win32WindowHost::closeMessageBox(void* window) {
    BoxSearch search;
    search.owner = handle(window);
    EnumThreadWindows(GetCurrentThreadId(), findOwnedBox, reinterpret_cast<LPARAM>(&search));
    // The box's loop ends once the message it is dispatching now returns.
    return search.box && EndDialog(search.box, IDOK) != FALSE;
}

void Win32WindowHost::holdShutdown(void* window, const char16_t* reason) {
    ShutdownBlockReasonCreate(handle(window), wide(reason));
}

void Win32WindowHost::releaseShutdown(void* window) {
    ShutdownBlockReasonDestroy(handle(window));
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

unsigned Win32WindowHost::dpi(void* window) {
    // Looked up: Windows 7 and 8 have no GetDpiForWindow, and the installer still starts there.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && window) {
        if (UINT dpi = forWindow(handle(window))) return dpi;
    }
    HDC screen = GetDC(nullptr);
    if (!screen) return 96;
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? unsigned(dpi) : 96;
}

std::uint16_t Win32WindowHost::uiLanguage() {
    return GetUserDefaultUILanguage();
}

void Win32WindowHost::notifyAccessible(void* window, platform::AccessEvent event, int child) {
    DWORD id = event == platform::AccessEvent::Focus ? EVENT_OBJECT_FOCUS : EVENT_OBJECT_NAMECHANGE;
    NotifyWinEvent(id, handle(window), OBJID_CLIENT, LONG(child));
}

}  // namespace win32
