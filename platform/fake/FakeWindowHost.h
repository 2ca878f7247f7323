// Timers of a window that does not exist: every start and stop is recorded in order.
#pragma once

#include <string>
#include <vector>

#include "platform/WindowHost.h"

namespace fake {

class FakeWindowHost : public platform::WindowHost {
public:
    bool startTimer(void* window, int id, unsigned milliseconds) override;
    void stopTimer(void* window, int id) override;

    // "start 1 33" and "stop 1", in order.
    std::vector<std::string> calls;
};

}  // namespace fake
