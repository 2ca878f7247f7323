// The wizard's window through user32.
#pragma once

#include "platform/WindowHost.h"

namespace win32 {

class Win32WindowHost : public platform::WindowHost {
public:
    void show(void* window, bool visible) override;
    bool startTimer(void* window, int id, unsigned milliseconds) override;
    void stopTimer(void* window, int id) override;
    void capture(void* window) override;
    void releaseCapture() override;
    void cursorPos(std::int32_t& x, std::int32_t& y) override;
    void postClose(void* window) override;
    void messageBox(void* window, const char16_t* text, const char16_t* caption) override;
    bool closeMessageBox(void* window) override;
    bool letSenderGo() override;
    void answerSender() override;
    void holdShutdown(void* window, const char16_t* reason) override;
    void releaseShutdown(void* window) override;
    bool monitorAt(std::int32_t x, std::int32_t y, platform::ScreenRect& monitor) override;
    unsigned dpi(void* window) override;
    std::uint16_t uiLanguage() override;
    void notifyAccessible(void* window, platform::AccessEvent event, int child) override;
};

}  // namespace win32
