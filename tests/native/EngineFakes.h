// The fake machine as the engine operations' tests use it: its clock starts well past zero, so
// that time limits are measured from a real start and not from the clock's origin.
#pragma once

#include <algorithm>
#include <string>

#include "tests/support/FakeMachine.h"

struct EngineFakes : testpkg::FakeMachine {
    EngineFakes() { clock.advance(100000); }

    // How many traced calls start with `operation` (and the detail, when given).
    static int calls(const std::string& operation) {
        const auto& trace = fake::faults().trace();
        return int(std::count_if(trace.begin(), trace.end(), [&](const std::string& line) {
            return line == operation || line.starts_with(operation + " ");
        }));
    }
};
