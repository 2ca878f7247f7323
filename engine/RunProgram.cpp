#include "engine/RunProgram.h"

#include <new>
#include <string>

#include "common/Text.h"
#include "engine/CommandLine.h"
#include "engine/SetupLog.h"
#include "platform/Processes.h"
#include "platform/SystemInfo.h"

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

// Runs the started, still suspended script to its end or its limit. `job` is dropped (closed
// and cleared) when the script cannot join it.
void superviseScript(OsHandle& job, const platform::StartedProcess& started,
                     std::uint32_t timeoutMs, ScriptRun& run) {
    auto& procs = platform::processes();
    // Joined while still suspended, so nothing it starts can be outside the job.
    if (job && !procs.assignToJob(job, started.process)) {
        procs.close(job);
        job = nullptr;
    }
    // Only a time-out fails the run: a wait that fails for another reason counts as ended, as
    // it always has. A script that could not be resumed never ran, so that is a failure too.
    bool resumed = procs.resume(started.thread);
    bool ended = false;
    if (resumed) {
        ended = procs.wait(started.process, timeoutMs) != platform::WaitResult::TimedOut;
    }
    if (!ended) procs.terminate(started.process, 0);
    if (ended && !procs.exitCode(started.process, run.exitCode)) run.exitCode = 0;
    run.outcome = ended ? ScriptRun::Ended : resumed ? ScriptRun::TimedOut : ScriptRun::NotStarted;
}

ScriptRun runWithLimit(const std::u16string& commandLine, const TextBuffer& folder,
                       std::uint32_t timeoutMs, bool native) {
    auto& procs = platform::processes();
    ScriptRun run;
    OsHandle job = procs.createKillOnCloseJob();
    platform::StartedProcess started;
    bool created = native ? procs.createNative(commandLine.c_str(), folder, true, started)
                          : procs.create(commandLine.c_str(), folder, true, started);
    if (!created) {
        run.systemError = lastSystemError();
        procs.close(job);
        return run;
    }
    try {
        superviseScript(job, started, timeoutMs, run);
    } catch (const std::bad_alloc&) {
        // The installation is being given up: the script must not go on by itself.
        procs.terminate(started.process, 0);
        if (job) procs.close(job);
        procs.close(started.thread);
        procs.close(started.process);
        throw;
    }
    if (job) {
        // A script that finished may have started something meant to outlive it.
        if (run.outcome == ScriptRun::Ended) procs.releaseJob(job);
        procs.close(job);
    }
    procs.close(started.thread);
    procs.close(started.process);
    return run;
}

bool commandFor(const char16_t* program, const char16_t* arguments, std::u16string& commandLine,
                TextBuffer& folder) {
    if (!program) return false;
    std::u16string_view path(program);
    if (!quotedCommandLine(path, arguments ? std::u16string_view(arguments) : u"", commandLine)) {
        return false;
    }
    copyText(folder, parentOf(path));  // fits: the path itself does
    return true;
}

}  // namespace

bool runProgram(const char16_t* program, const char16_t* arguments, std::uint32_t timeoutMs) {
    std::u16string commandLine;
    TextBuffer folder;
    if (!commandFor(program, arguments, commandLine, folder)) return false;
    if (timeoutMs == kNoWait) return startDetached(commandLine, folder);
    return runWithLimit(commandLine, folder, timeoutMs, false).outcome == ScriptRun::Ended;
}

ScriptRun runScript(const char16_t* path, std::uint32_t timeoutMs, bool native) {
    std::u16string commandLine;
    TextBuffer folder;
    if (!commandFor(path, u"", commandLine, folder)) return {};
    return runWithLimit(commandLine, folder, timeoutMs, native);
}

bool driverScriptsRunNatively() {
    return platform::systemInfo().nativeArchitecture() == platform::kArchitectureAmd64;
}

ScriptRun runDriverScript(const char16_t* path, std::uint32_t timeoutMs, bool native) {
    ScriptRun run = runScript(path, timeoutMs, native);
    std::string what;
    switch (run.outcome) {
        case ScriptRun::Ended:
            what = "driver script exit code " + std::to_string(run.exitCode);
            break;
        case ScriptRun::TimedOut:
            what = "driver script ended after its time limit of " +
                   std::to_string(timeoutMs / 1000) + " s";
            break;
        case ScriptRun::NotStarted:
            what = "driver script could not be started (Windows error " +
                   std::to_string(run.systemError) + ")";
            break;
    }
    logEvent(what, path ? viewOf(path) : std::u16string_view());
    return run;
}
