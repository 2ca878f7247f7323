// Starting, waiting for and ending processes, and finding running ones by their image. Handles
// are opaque; every handle received is given back through close().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// A HANDLE of a process, thread or job; none is null.
using OsHandle = void*;

struct StartedProcess {
    OsHandle process = nullptr;
    OsHandle thread = nullptr;
    std::uint32_t id = 0;
};

struct ProcessEntry {
    std::uint32_t id = 0;
    std::u16string exeFile;  // the image's file name only, as the snapshot reports it
};

enum class WaitResult { Ended, TimedOut, Failed };

// Whose a running process is: its account, and a copy of its primary token (none when it could
// not be had) with which a program can be started again for that account, in its session.
struct ProcessOwner {
    std::u16string account;  // "DOMAIN\name"
    bool isLocalSystem = false;
    bool isThisAccount = false;  // the account this process runs as
    OsHandle token = nullptr;    // given back through close()
};

class Processes {
public:
    virtual ~Processes() = default;

    // CreateProcessW(NULL, commandLine, NULL, NULL, FALSE, CREATE_NEW_CONSOLE, NULL,
    // workingFolder, ...) with the window hidden (STARTF_USESHOWWINDOW, SW_HIDE), adding
    // CREATE_SUSPENDED when asked. The command line is used as it is: quote the program.
    virtual bool create(const char16_t* commandLine, const char16_t* workingFolder, bool suspended,
                        StartedProcess& started) = 0;
    // As create(), with the file-system redirection of a 32-bit process on 64-bit Windows
    // switched off for this thread around the call (Wow64DisableWow64FsRedirection and its
    // revert), so that a batch script runs in the native 64-bit command processor and finds the
    // native system tools. Where there is no redirection it is create().
    virtual bool createNative(const char16_t* commandLine, const char16_t* workingFolder,
                              bool suspended, StartedProcess& started) {
        return create(commandLine, workingFolder, suspended, started);
    }
    // What a program writes to its standard output and error, for the log: a new temporary file
    // that nobody else can open, under a name nobody could guess, gone once closed (close()).
    // None when no such file can be made; the program then runs as create() starts it.
    virtual OsHandle createOutputSink() { return nullptr; }
    // As create(), or createNative() with `native`, the program getting `sink` as its standard
    // output and error (and no other handle of this process).
    virtual bool createWithOutput(const char16_t* commandLine, const char16_t* workingFolder,
                                  bool suspended, bool native, OsHandle sink,
                                  StartedProcess& started) {
        (void)sink;
        return native ? createNative(commandLine, workingFolder, suspended, started)
                      : create(commandLine, workingFolder, suspended, started);
    }
    // What was written to the sink so far: its last `limit` bytes in `text`, and how many bytes
    // came before them in `dropped`.
    virtual bool readOutput(OsHandle sink, std::size_t limit, std::string& text,
                            std::uint64_t& dropped) {
        (void)sink;
        (void)limit;
        text.clear();
        dropped = 0;
        return false;
    }
    // ResumeThread of a process created suspended.
    virtual bool resume(OsHandle thread) = 0;
    // WaitForSingleObject with a limit in milliseconds.
    virtual WaitResult wait(OsHandle process, std::uint32_t ms) = 0;
    // TerminateProcess: this process only; what it started runs on.
    virtual bool terminate(OsHandle process, std::uint32_t exitCode) = 0;
    // GetExitCodeProcess; 259 (STILL_ACTIVE) while it runs.
    virtual bool exitCode(OsHandle process, std::uint32_t& code) = 0;
    // CloseHandle; none is ignored. Closing a job made by createKillOnCloseJob ends every
    // process still in it unless the job was released.
    virtual void close(OsHandle handle) = 0;

    // CreateJobObjectW and SetInformationJobObject with JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE.
    // Processes started by a member join the job. None on failure.
    virtual OsHandle createKillOnCloseJob() = 0;
    // AssignProcessToJobObject.
    virtual bool assignToJob(OsHandle job, OsHandle process) = 0;
    // Lifts the kill-on-close limit, so that closing the job leaves its processes running.
    virtual bool releaseJob(OsHandle job) = 0;

    // CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS) walked with Process32FirstW/NextW. False
    // when no snapshot could be taken.
    virtual bool listProcesses(std::vector<ProcessEntry>& entries) = 0;
    // OpenProcess(PROCESS_ALL_ACCESS, FALSE, id); none on failure.
    virtual OsHandle open(std::uint32_t id) = 0;
    // GetModuleFileNameExW(process, NULL, ...): the full path of the process's image.
    virtual bool imagePath(OsHandle process, std::u16string& path) = 0;
    // EnumWindows over the top-level windows; to each one GetWindowThreadProcessId gives to
    // process `id`, PostMessageW WM_CLOSE and then WM_DESTROY. Returns how many were posted to.
    virtual int postCloseToWindows(std::uint32_t id) = 0;

    // OpenProcessToken of the process, its user named (LookupAccountSidW), and the token
    // duplicated as a primary one. False when the owner cannot be told.
    virtual bool ownerOf(OsHandle process, ProcessOwner& owner) {
        (void)process;
        (void)owner;
        return false;
    }
    // CreateProcessAsUserW with that token: the program runs as its account, in its session
    // and on its desktop ("winsta0\default"), started normally (not hidden). Only LocalSystem
    // may do this for another account.
    virtual bool createAsUser(OsHandle token, const char16_t* commandLine,
                              const char16_t* workingFolder, StartedProcess& started) {
        (void)token;
        (void)commandLine;
        (void)workingFolder;
        (void)started;
        return false;
    }
};

inline Processes& processes() {
    return *os().processes;
}

}  // namespace platform
