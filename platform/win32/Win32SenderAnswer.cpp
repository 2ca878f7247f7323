#include "platform/win32/Win32SenderAnswer.h"

#include <windows.h>

#include "platform/win32/Win32WindowHost.h"

namespace win32 {

namespace {

// Auto-reset: one answer releases one wait. Made once, before any worker can wait on it.
HANDLE answerEvent() {
    static HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return event;
}

}  // namespace

void waitForAnswer() {
    HANDLE event = answerEvent();
    if (event) WaitForSingleObject(event, INFINITE);
}

bool Win32WindowHost::letSenderGo() {
    // Without the event the sender could never be answered: it keeps waiting for the handler.
    if (!answerEvent() || !InSendMessage()) return false;
    return ReplyMessage(kWaitForAnswer) != FALSE;
}

void Win32WindowHost::answerSender() {
    SetEvent(answerEvent());
}

}  // namespace win32
