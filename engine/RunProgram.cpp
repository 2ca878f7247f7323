#include "engine/RunProgram.h"

#include <string>

#include "common/Text.h"
#include "engine/CommandLine.h"
#include "platform/Processes.h"

using platform::OsHandle;

namespace {

bool startDetached(const std::u16string& commandLine, const TextBuffer& folder) {
    auto& procs = platform::processes();
    platform::StartedProcess started;
    if (!procs.create(commandLine.c_str(), folder, false, started)) return false;
    procs.close(started.thread);
    procs.close(started.process);
    return true;
}

bool runWithLimit(const std::u16string& commandLine, const TextBuffer& folder,
                  std::uint32_t timeoutMs) {
    auto& procs = platform::processes();
    OsHandle job = procs.createKillOnCloseJob();
    platform::StartedProcess started;
    if (!procs.create(commandLine.c_str(), folder, true, started)) {
        procs.close(job);
        return false;
    }
    // Joined while still suspended, so nothing it starts can be outside the job.
    if (job && !procs.assignToJob(job, started.process)) {
        procs.close(job);
        job = nullptr;
    }
    // Only a time-out fails the run: a wait that fails for another reason counts as ended, as
    // it always has. A script that could not be resumed never ran, so that is a failure too.
    bool ended = false;
    if (procs.resume(started.thread)) {
        ended = procs.wait(started.process, timeoutMs) != platform::WaitResult::TimedOut;
    }
    if (!ended) procs.terminate(started.process, 0);
    if (job) {
        // A script that finished may have started something meant to outlive it.
        if (ended) procs.releaseJob(job);
        procs.close(job);
    }
    procs.close(started.thread);
    procs.close(started.process);
    return ended;
}

}  // namespace

bool runProgram(const char16_t* program, const char16_t* arguments, std::uint32_t timeoutMs) {
    if (!program) return false;
    std::u16string_view path(program);
    std::u16string commandLine;
    if (!quotedCommandLine(path, arguments ? std::u16string_view(arguments) : u"", commandLine)) {
        return false;
    }
    TextBuffer folder;
    copyText(folder, parentOf(path));  // fits: the path itself does
    if (timeoutMs == kNoWait) return startDetached(commandLine, folder);
    return runWithLimit(commandLine, folder, timeoutMs);
}
