// A status sent to the wizard window whose handler opens a box: the worker that sent it is
// released from SendMessage (ReplyMessage) and waits on an event instead, so that the window's
// thread may itself wait for the worker while the box is open (as a session's end does, from
// inside the box's message loop) without the two waiting for each other.
#pragma once

#include <cstdint>

namespace win32 {

// What SendMessage returns to a sender that must then wait for its answer.
constexpr std::intptr_t kWaitForAnswer = 0x41575354;

// The sender's side, after SendMessage returned kWaitForAnswer.
void waitForAnswer();

}  // namespace win32
