// The wizard's window through user32: the handle is attached once the window exists; the
// cursor and monitor questions work before that.
#pragma once

#include "platform/WindowHost.h"

namespace win32 {

class Win32WindowHost : public platform::WindowHost {
public:
    void attach(void* window) { window_ = window; }
    void* window() const { return window_; }

    void show(bool visible) override;
    void setTimer(int id, unsigned ms) override;
    void killTimer(int id) override;
    void capture() override;
    void releaseCapture() override;
    void cursorPos(std::int32_t& x, std::int32_t& y) override;
    void postClose() override;
    void messageBox(const char16_t* text, const char16_t* caption) override;
    bool monitorAt(std::int32_t x, std::int32_t y, platform::ScreenRect& monitor) override;

private:
    void* window_ = nullptr;
};

}  // namespace win32
