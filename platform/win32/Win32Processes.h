// Processes, job objects, the process snapshot and top-level windows through kernel32, psapi
// and user32.
#pragma once

#include <windows.h>

#include "platform/Processes.h"

namespace win32 {

// The calls that turn WoW64's file-system redirection off for this thread and back on; tests
// give their own to see that every way out of a native start turns it back on.
struct Wow64Redirection {
    BOOL(WINAPI* disable)(PVOID* previous) = Wow64DisableWow64FsRedirection;
    BOOL(WINAPI* revert)(PVOID previous) = Wow64RevertWow64FsRedirection;
};

class Win32Processes : public platform::Processes {
public:
    Win32Processes() = default;
    explicit Win32Processes(const Wow64Redirection& redirection) : redirection_(redirection) {}

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
    // Win32ProcessOutput.cpp.
    platform::OsHandle createOutputSink() override;
    bool createWithOutput(const char16_t* commandLine, const char16_t* workingFolder,
                          bool suspended, bool native, platform::OsHandle sink,
                          platform::StartedProcess& started) override;
    bool readOutput(platform::OsHandle sink, std::size_t limit, std::string& text,
                    std::uint64_t& dropped) override;
    // Win32ProcessOwner.cpp.
    bool ownerOf(platform::OsHandle process, platform::ProcessOwner& owner) override;
    bool createAsUser(platform::OsHandle token, const char16_t* commandLine,
                      const char16_t* workingFolder, platform::StartedProcess& started) override;

private:
    Wow64Redirection redirection_;
};

}  // namespace win32
