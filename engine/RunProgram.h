// Starting a program or driver script hidden, in a new console, in its own folder, and waiting
// for it with a time limit. A script that overruns its limit is ended together with everything
// it started: it runs in a job object that kills its members when closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Time limits the workers use. Every run of a driver script gets the same, the rollback's
// uninstall scripts too: a rolled-back installation keeps no log, so an uninstall script cut
// short there can never be run again, and it may take as long as the install script it undoes.
constexpr std::uint32_t kNoWait = 0;
constexpr std::uint32_t kDriverScriptLimitMs = 180000;

// Runs `program` (a full path of at most 259 units) with `arguments` (none or empty for none;
// otherwise written after one space, e.g. u"-h"). The command line is `"program" arguments` and
// the working folder is the program's folder (parentOf the path; a path without a backslash is
// its own working folder, and starting it then fails).
//
// timeoutMs 0: true once the process is created; nothing waits and the program runs on.
// Otherwise the process is created suspended, put into a kill-on-close job, resumed and waited
// for. Ended within the limit (or a wait that failed for another reason): true, and whatever it
// left running in the background is let go. Limit reached: the process is terminated with exit
// code 0, the job's closing ends everything it started, and the result is false. The exit code
// is not looked at.
// False as well when the path is too long or cannot be quoted, or the process cannot be created
// or resumed. If no job can be had, the process alone is terminated on time-out.
bool runProgram(const char16_t* program, const char16_t* arguments, std::uint32_t timeoutMs);

// How a script run under a time limit went.
struct ScriptRun {
    enum Outcome { Ended, TimedOut, NotStarted };
    Outcome outcome = NotStarted;
    std::uint32_t exitCode = 0;       // when it ended (0 when the code could not be read)
    std::uint32_t systemError = 0;    // the Windows error when it could not be started
    std::string output;               // the end of what it wrote, when asked for
    std::uint64_t outputLeftOut = 0;  // how many bytes of its output came before that
};

// How much of a driver script's output the setup log keeps: its end, where a tool explains
// a failure.
constexpr std::size_t kScriptOutputLimit = 16 * 1024;

// runProgram() of a script without arguments under `timeoutMs` (not 0), telling how it went.
// `native`: started outside the 32-bit file-system redirection (Processes::createNative).
// With `captureOutput`, its standard output and error are kept (the last kScriptOutputLimit
// bytes).
ScriptRun runScript(const char16_t* path, std::uint32_t timeoutMs, bool native,
                    bool captureOutput = false);

// On 64-bit Windows (the native architecture is AMD64) the driver scripts are the x64 ones
// and run natively.
bool driverScriptsRunNatively();
// runScript() with a line in the setup log saying how it went (exit code, time-out, or the
// Windows error that kept it from starting), and what the script wrote, line by line.
ScriptRun runDriverScript(const char16_t* path, std::uint32_t timeoutMs, bool native);
