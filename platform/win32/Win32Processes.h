// Processes, job objects, the process snapshot and top-level windows through kernel32, psapi
// and user32.
#pragma once

#include "platform/Processes.h"

namespace win32 {

class Win32Processes : public platform::Processes {
public:
    bool create(const char16_t* commandLine, const char16_t* workingFolder, bool suspended,
                platform::StartedProcess& started) override;
    bool createNative(const char16_t* commandLine, const char16_t* workingFolder, bool suspended,
                      platform::StartedProcess& started) override;
    bool resume(platform::OsHandle thread) override;
    platform::WaitResult wait(platform::OsHandle process, std::uint32_t ms) override;
    bool terminate(platform::OsHandle process, std::uint32_t exitCode) override;
    bool exitCode(platform::OsHandle process, std::uint32_t& code) override;
    void close(platform::OsHandle handle) override;
    platform::OsHandle createKillOnCloseJob() override;
    bool assignToJob(platform::OsHandle job, platform::OsHandle process) override;
    bool releaseJob(platform::OsHandle job) override;
    bool listProcesses(std::vector<platform::ProcessEntry>& entries) override;
    platform::OsHandle open(std::uint32_t id) override;
    bool imagePath(platform::OsHandle process, std::u16string& path) override;
    int postCloseToWindows(std::uint32_t id) override;
    // Win32ProcessOwner.cpp.
    bool ownerOf(platform::OsHandle process, platform::ProcessOwner& owner) override;
    bool createAsUser(platform::OsHandle token, const char16_t* commandLine,
                      const char16_t* workingFolder, platform::StartedProcess& started) override;
};

}  // namespace win32
