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

// The script's output, once it has ended (or been ended), and the sink closed.
void collectOutput(OsHandle sink, ScriptRun& run) {
    if (!sink) return;
    platform::processes().readOutput(sink, kScriptOutputLimit, run.output, run.outputLeftOut);
    platform::processes().close(sink);
}

ScriptRun runWithLimit(const std::u16string& commandLine, const TextBuffer& folder,
                       std::uint32_t timeoutMs, bool native, bool captureOutput = false) {
    auto& procs = platform::processes();
    ScriptRun run;
    OsHandle job = procs.createKillOnCloseJob();
    OsHandle sink = captureOutput ? procs.createOutputSink() : nullptr;
    platform::StartedProcess started;
    bool created =
        sink     ? procs.createWithOutput(commandLine.c_str(), folder, true, native, sink, started)
        : native ? procs.createNative(commandLine.c_str(), folder, true, started)
                 : procs.create(commandLine.c_str(), folder, true, started);
    if (!created) {
        run.systemError = lastSystemError();
        procs.close(job);
        if (sink) procs.close(sink);
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
        if (sink) procs.close(sink);
        throw;
    }
    if (job) {
        // A script that finished may have started something meant to outlive it.
        if (run.outcome == ScriptRun::Ended) procs.releaseJob(job);
        procs.close(job);
    }
    procs.close(started.thread);
    procs.close(started.process);
    collectOutput(sink, run);
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

ScriptRun runScript(const char16_t* path, std::uint32_t timeoutMs, bool native,
                    bool captureOutput) {
    std::u16string commandLine;
    TextBuffer folder;
    if (!commandFor(path, u"", commandLine, folder)) return {};
    return runWithLimit(commandLine, folder, timeoutMs, native, captureOutput);
}

bool driverScriptsRunNatively() {
    return platform::systemInfo().nativeArchitecture() == platform::kArchitectureAmd64;
}

namespace {

// Console output is in the OEM code page, or UTF-8, or anything a tool chose: UTF-8 is kept,
// every other byte above 0x7F is shown as "\xNN" so the log stays UTF-8 and says what was there.
std::u16string shownText(std::string_view line) {
    std::u16string wide;
    if (isValidUtf8(line)) return utf8ToUtf16(line);
    for (unsigned char c : line) {
        if (c < 0x80) {
            wide.push_back(char16_t(c));
            continue;
        }
        static const char16_t digits[] = u"0123456789ABCDEF";
        wide += u"\\x";
        wide.push_back(digits[c >> 4]);
        wide.push_back(digits[c & 15]);
    }
    return wide;
}

void logOutput(const ScriptRun& run) {
    if (run.output.empty()) return;
    logEvent(run.outputLeftOut ? "driver script output, its first " +
                                     std::to_string(run.outputLeftOut) + " bytes left out:"
                               : std::string("driver script output:"));
    std::string_view rest(run.output);
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) logEvent("  |", shownText(line));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

}  // namespace

ScriptRun runDriverScript(const char16_t* path, std::uint32_t timeoutMs, bool native) {
    ScriptRun run = runScript(path, timeoutMs, native, true);
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
    logOutput(run);
    return run;
}
