// A whole Windows machine in memory for the workers: files, registry, services, processes,
// shell links, clock, facts and threads, all behind the platform table and the fault plan.
// The snapshot holds everything an installation may change, so a test can compare the machine
// before and after.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/StatusCode.h"
#include "platform/StatusChannel.h"
#include "platform/fake/FakeClock.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMachineLocks.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeResources.h"
#include "platform/fake/FakeSecurity.h"
#include "platform/fake/FakeServiceManager.h"
#include "platform/fake/FakeShell.h"
#include "platform/fake/FakeSystem.h"
#include "platform/fake/FaultPlan.h"

namespace testpkg {

struct MachineSnapshot {
    std::map<std::u16string, fake::FakeFileSystem::Node> files;
    fake::FakeRegistry::Snapshot registry;
    std::map<std::u16string, std::u16string> services;  // name -> binary path | description
    std::vector<std::u16string> runningPrograms;

    bool operator==(const MachineSnapshot&) const = default;
};

// Sizes only: a failed comparison shows describeDifference instead of a byte dump.
inline void PrintTo(const MachineSnapshot& s, std::ostream* out) {
    *out << s.files.size() << " files, " << s.registry.size() << " keys, " << s.services.size()
         << " services, " << s.runningPrograms.size() << " running programs";
}

// Lists what differs, for a readable failure.
std::string describeDifference(const MachineSnapshot& before, const MachineSnapshot& after);

class FakeMachine {
public:
    FakeMachine();
    ~FakeMachine();
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;

    MachineSnapshot snapshot();

    fake::FakeFileSystem files;
    fake::FakeRegistry registry;
    fake::FakeServiceManager services;
    fake::FakeClock clock;
    fake::FakeProcesses processes{&clock, &files};
    fake::FakeShell shell{files};
    fake::FakeSystemInfo system;
    fake::FakeThreads threads;
    fake::FakeSecurity security{files};
    fake::FakeMachineLocks locks;
    fake::FakeResources resources;  // setup.exe's own: none unless a test adds them

private:
    platform::Platform saved_;
};

// Records every status message; `onMessage` may act on it (a cancel, say).
struct StatusRecorder : platform::StatusChannel {
    struct Message {
        std::uint32_t code;
        std::u16string text;
        bool hasText;
    };
    void send(std::uint32_t code, const char16_t* text) override;
    std::vector<Message> messages;
    std::function<void(const Message&)> onMessage;

    std::vector<std::uint32_t> codes() const;
    int count(std::uint32_t code) const;
};

}  // namespace testpkg
