// Worker threads. A handle that is dropped without waiting is closed, as CloseHandle does: the
// thread runs on by itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Platform.h"

namespace platform {

class ThreadHandle {
public:
    virtual ~ThreadHandle() = default;
    // WaitForSingleObject without a time limit.
    virtual void wait() = 0;
    // The same on a window thread: messages that other threads send to its windows meanwhile
    // (a worker blocked in SendMessageW) are handled, so waiting for such a thread cannot
    // deadlock.
    virtual void waitServingMessages() { wait(); }
    // The same for at most `ms` milliseconds: true when the thread ended meanwhile.
    virtual bool waitServingMessagesFor(std::uint32_t ms) {
        (void)ms;
        waitServingMessages();
        return true;
    }
};

class Threads {
public:
    virtual ~Threads() = default;
    // CreateThread; none when the thread cannot be created.
    virtual std::unique_ptr<ThreadHandle> start(std::function<void()> body) = 0;
};

inline Threads& threads() {
    return *os().threads;
}

}  // namespace platform
