// One fake machine for the engine's tests: files, clock, services, processes and shell links,
// installed into the platform table for the test's lifetime with a clean fault plan.
#pragma once

#include <algorithm>
#include <string>

#include "platform/Platform.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeServiceManager.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FaultPlan.h"

struct EngineFakes {
    fake::FakeFileSystem files;
    fake::FakeClock clock{100000};
    fake::FakeServiceManager services;
    fake::FakeProcesses processes{&clock, &files};
    fake::FakeShell shell{files};
    platform::Platform saved = platform::os();

    EngineFakes() {
        fake::faults().clear();
        auto& table = platform::os();
        table.files = &files;
        table.clock = &clock;
        table.services = &services;
        table.processes = &processes;
        table.shell = &shell;
    }
    ~EngineFakes() {
        platform::os() = saved;
        fake::faults().clear();
    }

    // How many traced calls start with `operation` (and the detail, when given).
    static int calls(const std::string& operation) {
        const auto& trace = fake::faults().trace();
        return int(std::count_if(trace.begin(), trace.end(), [&](const std::string& line) {
            return line == operation || line.starts_with(operation + " ");
        }));
    }
};
