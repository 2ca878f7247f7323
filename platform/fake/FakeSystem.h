// The machine's facts and its threads, scripted. Threads are real (so a worker can be cancelled
// from the test thread) unless `inline` is set, in which case start() runs the body at once.
#pragma once

#include "platform/SystemInfo.h"
#include "platform/Threads.h"

namespace fake {

class FakeSystemInfo : public platform::SystemInfo {
public:
    bool enableDebugPrivilege() override;
    std::uint16_t nativeArchitecture() override;
    int monitorCount() override;
    bool runsAsLocalSystem() override { return localSystem; }
    bool accountName(std::u16string& name) override {
        name = account;
        return !name.empty();
    }

    std::uint16_t architecture = platform::kArchitectureAmd64;
    int monitors = 1;
    bool privilegeEnabled = false;
    bool localSystem = false;
    std::u16string account = u"PC\\admin";
};

class FakeThreads : public platform::Threads {
public:
    std::unique_ptr<platform::ThreadHandle> start(std::function<void()> body) override;
    bool runInline = true;
    int started = 0;
};

}  // namespace fake
