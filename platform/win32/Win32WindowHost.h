// Timers of the wizard window.
#pragma once

#include "platform/WindowHost.h"

namespace win32 {

class Win32WindowHost : public platform::WindowHost {
public:
    bool startTimer(void* window, int id, unsigned milliseconds) override;
    void stopTimer(void* window, int id) override;
};

}  // namespace win32
