#include "app/setup/WindowProcedure.h"

#include <dbt.h>

#include <cstdint>
#include <new>

#include "platform/win32/Win32Accessible.h"
#include "platform/win32/Win32UsbBus.h"
#include "run/DeviceWait.h"
#include "run/RunEnd.h"
#include "run/SessionEnd.h"
#include "run/WorkerLife.h"
#include "wizard/AccessibleWizard.h"
#include "wizard/Animation.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/PointerInput.h"
#include "wizard/Records.h"
#include "wizard/TouchInput.h"

void (*shutDownGraphics)() = nullptr;

namespace {

// The halves of lParam, read as unsigned values.
int lowWord(LPARAM lParam) {
    return int(std::uint32_t(lParam) & 0xFFFF);
}
int highWord(LPARAM lParam) {
    return int((std::uint32_t(lParam) >> 16) & 0xFFFF);
}

void copyData(LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data) return;
    // A code that does not fit 32 bits is no status code of ours.
    if (std::uint64_t(data->dwData) >> 32 != 0) return;
    onWorkerStatus(std::uint32_t(data->dwData), static_cast<const std::uint8_t*>(data->lpData),
                   data->lpData ? data->cbData : 0);
}

void deviceChange(WPARAM wParam, LPARAM lParam) {
    const std::uint8_t* broadcast = nullptr;
    std::size_t size = 0;
    // Only an arrival carries a broadcast structure to read.
    if (wParam == DBT_DEVICEARRIVAL) win32::deviceBroadcast(lParam, broadcast, size);
    onDeviceChange(wParam, broadcast, size);
}

// Touch input as pointer messages (Windows 8 on); defined here as the headers hold them back
// for the Windows 7 the installer still runs on.
constexpr UINT kPointerUpdate = 0x0245;
constexpr UINT kPointerDown = 0x0246;
constexpr UINT kPointerUp = 0x0247;
constexpr DWORD kPointerTypeTouch = 2;  // PT_TOUCH

// GetPointerType, looked up: Windows 7 has none, and there no pointer message ever comes.
bool isTouchPointer(WPARAM wParam) {
    using GetPointerTypeFn = BOOL(WINAPI*)(UINT32, DWORD*);
    static const auto get = reinterpret_cast<GetPointerTypeFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetPointerType")));
    DWORD type = 0;
    return get && get(UINT32(wParam & 0xFFFF), &type) && type == kPointerTypeTouch;
}

// A pointer message's position is on the screen, in signed halves of lParam.
POINT clientPoint(HWND window, LPARAM lParam) {
    POINT p{short(std::uint32_t(lParam) & 0xFFFF), short((std::uint32_t(lParam) >> 16) & 0xFFFF)};
    ScreenToClient(window, &p);
    return p;
}

// A finger on the licence scrolls it; every other touch goes on to the system, which turns it
// into the mouse messages a tap or a drag of the window is made of.
bool pointer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!isTouchPointer(wParam)) return false;
    POINT p = clientPoint(window, lParam);
    if (message == kPointerDown) return onTouchDown(p.x, p.y);
    if (!touchScrolling()) return false;
    if (message == kPointerUpdate) onTouchMove(p.x, p.y);
    if (message == kPointerUp) onTouchUp();
    return true;
}

// Mouse messages the system made from a touch carry this mark in their extra information.
bool cameFromTouch() {
    constexpr LPARAM kSignatureMask = LPARAM(0xFFFFFF80);
    constexpr LPARAM kTouchSignature = LPARAM(0xFF515780);
    return (GetMessageExtraInfo() & kSignatureMask) == kTouchSignature;
}

// WM_DPICHANGED, held back by the headers for the Windows 7 the installer still runs on.
constexpr UINT kDpiChanged = 0x02E0;

bool key(WPARAM virtualKey, LPARAM lParam) {
    bool shift = GetKeyState(VK_SHIFT) < 0;
    // A key held down presses once: its repeats must not press the next page's button too.
    bool repeat = (std::uint32_t(lParam) >> 30 & 1) != 0;
    switch (virtualKey) {
        case VK_TAB:
            return onKey(shift ? WizardKey::ShiftTab : WizardKey::Tab);
        case VK_RETURN:
            return repeat || onKey(WizardKey::Enter);
        case VK_SPACE:
            return repeat || onKey(WizardKey::Space);
        case VK_ESCAPE:
            return repeat || onKey(WizardKey::Escape);
        case VK_UP:
            return onKey(WizardKey::Up);
        case VK_DOWN:
            return onKey(WizardKey::Down);
        case VK_PRIOR:
            return onKey(WizardKey::PageUp);
        case VK_NEXT:
            return onKey(WizardKey::PageDown);
        case VK_HOME:
            return onKey(WizardKey::Home);
        case VK_END:
            return onKey(WizardKey::End);
        default:
            return false;
    }
}

LRESULT accessibleObject(HWND window, WPARAM wParam, LPARAM lParam) {
    static const win32::AccessSource source{describeWizard, pressAccessChild};
    LRESULT answer = win32::answerGetObject(window, wParam, lParam, source);
    return answer ? answer : DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
}

void destroy() {
    int status = onDestroy();
    if (shutDownGraphics) shutDownGraphics();
    PostQuitMessage(status);
}

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            destroy();
            return 0;
        case WM_PAINT: {
            // The layered window is drawn by UpdateLayeredWindow alone.
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_COPYDATA:
            copyData(lParam);
            return 0;
        case WM_TIMER:
            if (wParam == kDeviceWaitTimer) {
                onDeviceWaitTimer();
            } else {
                onTimer();
            }
            return 0;
        case WM_MOUSEMOVE:
            onMouseMove(lowWord(lParam), highWord(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            onMouseDown(lowWord(lParam), highWord(lParam));
            return 0;
        case WM_LBUTTONUP:
            onMouseUp(lowWord(lParam), highWord(lParam));
            if (cameFromTouch()) endTouchTap();
            return 0;
        case kPointerDown:
        case kPointerUpdate:
        case kPointerUp:
            return pointer(window, message, wParam, lParam)
                       ? 0
                       : DefWindowProcW(window, message, wParam, lParam);
        case WM_KEYDOWN:
            return key(wParam, lParam) ? 0 : DefWindowProcW(window, message, wParam, lParam);
        case WM_SYSCOMMAND:
            // Alt+F4 and the window menu's Close fade the window out as the close button does.
            if ((wParam & 0xFFF0) == SC_CLOSE && onCloseKey()) return 0;
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_GETOBJECT:
            return accessibleObject(window, wParam, lParam);
        case WM_DEVICECHANGE:
            deviceChange(wParam, lParam);
            return 0;
        case WM_CLOSE:
            // While an installation runs, a close from outside (taskkill, the modal loop of an
            // error box) cancels it; the window goes after the rollback.
            return onCloseRequest() ? DefWindowProcW(window, message, wParam, lParam) : 0;
        case WM_QUERYENDSESSION:
            // A shutdown or log-off while the installation runs is held, and the installation
            // cancelled.
            return onQueryEndSession() ? TRUE : FALSE;
        case WM_ENDSESSION:
            // After this the system may end the process at any moment: the run ends here, its
            // rollback waited for and its exit status logged.
            if (onEndSession(wParam != FALSE)) DestroyWindow(window);
            return 0;
        case kDpiChanged: {
            // The system suggests where the window goes; its size is the layout's at the DPI.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            if (suggested) onDpiChanged(unsigned(wParam & 0xFFFF), suggested->left, suggested->top);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != window) onCaptureLost();
            return 0;
        case WM_CANCELMODE:
            // An error box or the folder chooser takes the mouse; the default releases capture.
            onCaptureLost();
            return DefWindowProcW(window, message, wParam, lParam);
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

// Memory running out on the window thread (a licence too large to lay out, say) must not end
// the process in the middle of an installation: the worker is told to stop and rolls back, and
// the window closes, which waits for it; the exit status then says the installation did not
// complete.
LRESULT CALLBACK wizardWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return handleMessage(window, message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        stopRunningWorker();
        DestroyWindow(window);
        return 0;
    }
}
