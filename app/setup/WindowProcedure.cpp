#include "app/setup/WindowProcedure.h"

#include <dbt.h>

#include <cstdint>
#include <new>

#include "platform/win32/Win32UsbBus.h"
#include "wizard/PageFlow.h"
#include "wizard/Records.h"

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
            return 0;
        case WM_DEVICECHANGE:
            deviceChange(wParam, lParam);
            return 0;
        case WM_CLOSE:
            // While an installation runs, a close from outside (taskkill, a shutdown, the
            // modal loop of an error box) cancels it; the window goes after the rollback.
            return onCloseRequest() ? DefWindowProcW(window, message, wParam, lParam) : 0;
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
