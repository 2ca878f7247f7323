// The window-side calls the wizard makes on its own window besides drawing.
#pragma once

#include "platform/Platform.h"

namespace platform {

class WindowHost {
public:
    virtual ~WindowHost() = default;
    // SetTimer(window, id, milliseconds, NULL); false when no timer was made.
    virtual bool startTimer(void* window, int id, unsigned milliseconds) = 0;
    // KillTimer(window, id).
    virtual void stopTimer(void* window, int id) = 0;
};

inline WindowHost& windowHost() {
    return *os().windows;
}

}  // namespace platform
