// The wizard window without a window: records what the wizard asked of it, in order, and
// answers with a cursor, monitors and message-box replies the test sets.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/WindowHost.h"

namespace fake {

class FakeWindowHost : public platform::WindowHost {
public:
    struct Box {
        std::u16string text;
        std::u16string caption;
    };

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
    unsigned dpi(void* window) override {
        (void)window;
        return windowDpi;
    }
    std::uint16_t uiLanguage() override { return userLanguage; }
    void notifyAccessible(void* window, platform::AccessEvent event, int child) override;

    // What the wizard did, in order: "show", "hide", "start 1 33", "stop 1", "capture",
    // "releaseCapture", "postClose", "messageBox", "closeMessageBox", "letSenderGo",
    // "answerSender", "holdShutdown REASON", "releaseShutdown".
    std::vector<std::string> calls;
    bool visible = false;
    bool captured = false;
    int closesPosted = 0;
    std::map<int, unsigned> timers;  // running timers: id -> period
    std::vector<Box> boxes;
    bool boxOpen = false;
    int boxesClosed = 0;  // by closeMessageBox
    bool shutdownHeld = false;
    // letSenderGo's answer: whether the status being handled came from another thread.
    bool senderIsAnotherThread = false;
    bool senderWaits = false;  // released by letSenderGo, not yet answered
    int sendersAnswered = 0;
    // Runs while a message box is "open" (the worker waits for it meanwhile).
    std::function<void(const Box&)> onMessageBox;

    std::int32_t cursorX = 0, cursorY = 0;
    // Monitors as MonitorFromPoint sees them: the one holding the point, else the nearest.
    std::vector<platform::ScreenRect> monitors{{0, 0, 1920, 1080}};
    bool monitorInfoFails = false;

    unsigned windowDpi = 96;
    std::uint16_t userLanguage = 1033;
    // Screen-reader events, in order: "focus N" and "name N" with the child id.
    std::vector<std::string> accessEvents;

    int count(const std::string& call) const;
};

}  // namespace fake
