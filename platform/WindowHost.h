// What the wizard asks of its one window and of the desktop around it: showing and hiding,
// the animation timer, mouse capture, the cursor, closing itself, error boxes and the monitor
// a point lies on. The frames themselves are pushed by the drawing surface.
#pragma once

#include <cstdint>

#include "platform/Accessibility.h"
#include "platform/Platform.h"

namespace platform {

struct ScreenRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class WindowHost {
public:
    virtual ~WindowHost() = default;
    // ShowWindow with SW_SHOW or SW_HIDE.
    virtual void show(void* window, bool visible) = 0;
    // SetTimer(window, id, milliseconds, NULL); false when no timer was made.
    virtual bool startTimer(void* window, int id, unsigned milliseconds) = 0;
    // KillTimer(window, id).
    virtual void stopTimer(void* window, int id) = 0;
    // SetCapture(window) / ReleaseCapture().
    virtual void capture(void* window) = 0;
    virtual void releaseCapture() = 0;
    // GetCursorPos, in screen pixels.
    virtual void cursorPos(std::int32_t& x, std::int32_t& y) = 0;
    // PostMessageW(window, WM_CLOSE, 0, 0).
    virtual void postClose(void* window) = 0;
    // MessageBoxW(window, text, caption, MB_OK); returns when the box is closed.
    virtual void messageBox(void* window, const char16_t* text, const char16_t* caption) = 0;
    // Ends the message box this thread shows for the window, as its OK button does; false when
    // there is none. Called from inside the box's own message loop.
    virtual bool closeMessageBox(void* window) = 0;
    // Called while handling a message another thread sent and before a box: that thread stops
    // waiting for the handler (ReplyMessage) and waits for answerSender instead, so that this
    // thread may wait for it while the box is open (a session's end does). False when the
    // message came from no other thread: then nothing changed.
    virtual bool letSenderGo() = 0;
    // The thread that letSenderGo released goes on.
    virtual void answerSender() = 0;
    // ShutdownBlockReasonCreate: the system, asked to end the session, shows `reason` for the
    // window and waits for it (the window also answers WM_QUERYENDSESSION with FALSE).
    virtual void holdShutdown(void* window, const char16_t* reason) = 0;
    // ShutdownBlockReasonDestroy: the session may end again without waiting for the window.
    virtual void releaseShutdown(void* window) = 0;
    // MonitorFromPoint(MONITOR_DEFAULTTONEAREST) and GetMonitorInfoW: the whole monitor's
    // rectangle. False when the monitor information cannot be read.
    virtual bool monitorAt(std::int32_t x, std::int32_t y, ScreenRect& monitor) = 0;
    // The pixels per inch the window is shown at: GetDpiForWindow where the system has it
    // (Windows 10 on), else the screen's LOGPIXELSY.
    virtual unsigned dpi(void* window) = 0;
    // GetUserDefaultUILanguage: the LANGID of the user's display language.
    virtual std::uint16_t uiLanguage() = 0;
    // NotifyWinEvent(event, window, OBJID_CLIENT, child): a screen reader learns that the
    // focus moved to the child or that its name changed.
    virtual void notifyAccessible(void* window, AccessEvent event, int child) = 0;
};

inline WindowHost& windowHost() {
    return *os().windows;
}

}  // namespace platform
