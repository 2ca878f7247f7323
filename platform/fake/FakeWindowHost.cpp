#include "platform/fake/FakeWindowHost.h"

#include <algorithm>
#include <cstdint>

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

void FakeWindowHost::show(void*, bool shown) {
    visible = shown;
    calls.push_back(shown ? "show" : "hide");
}

bool FakeWindowHost::startTimer(void*, int id, unsigned milliseconds) {
    calls.push_back("start " + std::to_string(id) + " " + std::to_string(milliseconds));
    if (faults().shouldFail("windows.startTimer")) return false;
    timers[id] = milliseconds;
    return true;
}

void FakeWindowHost::stopTimer(void*, int id) {
    timers.erase(id);
    calls.push_back("stop " + std::to_string(id));
}

void FakeWindowHost::capture(void*) {
    captured = true;
    calls.push_back("capture");
}

void FakeWindowHost::releaseCapture() {
    captured = false;
    calls.push_back("releaseCapture");
}

void FakeWindowHost::cursorPos(std::int32_t& x, std::int32_t& y) {
    x = cursorX;
    y = cursorY;
}

void FakeWindowHost::postClose(void*) {
    ++closesPosted;
    calls.push_back("postClose");
}

void FakeWindowHost::messageBox(void*, const char16_t* text, const char16_t* caption) {
    Box box{text ? text : u"", caption ? caption : u""};
    boxes.push_back(box);
    calls.push_back("messageBox");
    boxOpen = true;
    if (onMessageBox) onMessageBox(box);
    boxOpen = false;
}

bool FakeWindowHost::closeMessageBox(void*) {
    calls.push_back("closeMessageBox");
    if (!boxOpen) return false;
    ++boxesClosed;
    return true;
}

bool FakeWindowHost::letSenderGo() {
    calls.push_back("letSenderGo");
    senderWaits = senderIsAnotherThread;
    return senderWaits;
}

void FakeWindowHost::answerSender() {
    calls.push_back("answerSender");
    senderWaits = false;
    ++sendersAnswered;
}

void FakeWindowHost::holdShutdown(void*, const char16_t* reason) {
    shutdownHeld = true;
    calls.push_back("holdShutdown " + utf16ToUtf8(reason ? reason : u""));
}

void FakeWindowHost::releaseShutdown(void*) {
    shutdownHeld = false;
    calls.push_back("releaseShutdown");
}

namespace {
// Squared distance from a point to a rectangle (0 inside), as MONITOR_DEFAULTTONEAREST ranks.
std::int64_t distance(const platform::ScreenRect& r, std::int32_t x, std::int32_t y) {
    std::int64_t dx = x < r.left ? r.left - x : (x >= r.right ? x - r.right + 1 : 0);
    std::int64_t dy = y < r.top ? r.top - y : (y >= r.bottom ? y - r.bottom + 1 : 0);
    return dx * dx + dy * dy;
}
}  // namespace

bool FakeWindowHost::monitorAt(std::int32_t x, std::int32_t y, platform::ScreenRect& monitor) {
    if (monitorInfoFails || monitors.empty() || faults().shouldFail("monitorAt")) return false;
    auto nearest = std::min_element(
        monitors.begin(), monitors.end(),
        [x, y](const auto& a, const auto& b) { return distance(a, x, y) < distance(b, x, y); });
    monitor = *nearest;
    return true;
}

int FakeWindowHost::count(const std::string& call) const {
    return int(std::count(calls.begin(), calls.end(), call));
}

void FakeWindowHost::notifyAccessible(void*, platform::AccessEvent event, int child) {
    const char* kind = event == platform::AccessEvent::Focus ? "focus " : "name ";
    accessEvents.push_back(kind + std::to_string(child));
}

}  // namespace fake
