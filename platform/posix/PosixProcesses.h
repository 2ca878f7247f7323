// Processes for the native tools. Command lines and paths are Windows-style (backslashes become
// "/", see nativePath); the program is the quoted text or the text up to the first space, and
// the rest is split at spaces, double quotes grouping. Standard streams go to /dev/null, as a
// new console keeps a Windows program's output away from ours. A job is a process group: a process
// can only join it while still suspended (before its exec), and closing a job that was not released
// kills the group. Processes have no windows: postCloseToWindows sends SIGTERM.
#pragma once

#include <sys/types.h>

#include <map>

#include "platform/Processes.h"

namespace posix {

class PosixProcesses : public platform::Processes {
public:
    bool create(const char16_t* commandLine, const char16_t* workingFolder, bool suspended,
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

private:
    // True once the process has ended; reaps our own children.
    bool ended(pid_t pid);

    std::map<pid_t, int> children_;  // our children: -1 while running, else the wait status
    std::map<pid_t, std::uint32_t> terminatedWith_;
};

}  // namespace posix
