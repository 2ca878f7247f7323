#include "platform/win32/Win32Processes.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include "platform/win32/Wide.h"

namespace win32 {

bool Win32Processes::create(const char16_t* commandLine, const char16_t* workingFolder,
                            bool suspended, platform::StartedProcess& started) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info = {};
    // CreateProcessW may write into the command line.
    std::u16string line(commandLine);
    DWORD flags = CREATE_NEW_CONSOLE | (suspended ? CREATE_SUSPENDED : 0);
    if (!CreateProcessW(nullptr, wide(line.data()), nullptr, nullptr, FALSE, flags, nullptr,
                        wide(workingFolder), &startup, &info)) {
        return false;
    }
    started.process = info.hProcess;
    started.thread = info.hThread;
    started.id = info.dwProcessId;
    return true;
}

namespace {

// WoW64's file-system redirection off for this thread while it lives, on again however the
// scope is left: memory running out while the command line is copied included, after which the
// worker rolls back on this same thread. Outside WoW64 turning it off fails and nothing needs
// turning back.
class RedirectionOff {
public:
    explicit RedirectionOff(const Wow64Redirection& calls)
        : calls_(calls), off_(calls.disable(&previous_) != FALSE) {}
    ~RedirectionOff() {
        if (off_) calls_.revert(previous_);
    }
    RedirectionOff(const RedirectionOff&) = delete;
    RedirectionOff& operator=(const RedirectionOff&) = delete;

private:
    const Wow64Redirection& calls_;
    PVOID previous_ = nullptr;
    bool off_;
};

}  // namespace

bool Win32Processes::createNative(const char16_t* commandLine, const char16_t* workingFolder,
                                  bool suspended, platform::StartedProcess& started) {
    // Off for this thread only, and only around the one call: every other file operation of
    // the thread (a DLL load among them) must still see the 32-bit system folder.
    RedirectionOff off(redirection_);
    return create(commandLine, workingFolder, suspended, started);
}

bool Win32Processes::resume(platform::OsHandle thread) {
    return ResumeThread(thread) != DWORD(-1);
}

platform::WaitResult Win32Processes::wait(platform::OsHandle process, std::uint32_t ms) {
    switch (WaitForSingleObject(process, ms)) {
        case WAIT_OBJECT_0:
            return platform::WaitResult::Ended;
        case WAIT_TIMEOUT:
            return platform::WaitResult::TimedOut;
        default:
            return platform::WaitResult::Failed;
    }
}

bool Win32Processes::terminate(platform::OsHandle process, std::uint32_t exitCode) {
    return TerminateProcess(process, exitCode) != FALSE;
}

bool Win32Processes::exitCode(platform::OsHandle process, std::uint32_t& code) {
    DWORD value = 0;
    if (!GetExitCodeProcess(process, &value)) return false;
    code = value;
    return true;
}

void Win32Processes::close(platform::OsHandle handle) {
    if (handle) CloseHandle(handle);
}

namespace {
bool setJobLimit(HANDLE job, DWORD flags) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = flags;
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                   sizeof(limits)) != FALSE;
}
}  // namespace

platform::OsHandle Win32Processes::createKillOnCloseJob() {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    if (!setJobLimit(job, JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

bool Win32Processes::assignToJob(platform::OsHandle job, platform::OsHandle process) {
    return AssignProcessToJobObject(job, process) != FALSE;
}

bool Win32Processes::releaseJob(platform::OsHandle job) {
    return setJobLimit(job, 0);
}

bool Win32Processes::listProcesses(std::vector<platform::ProcessEntry>& entries) {
    entries.clear();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        entries.push_back({entry.th32ProcessID, std::u16string(narrow16(entry.szExeFile))});
    }
    CloseHandle(snapshot);
    return true;
}

platform::OsHandle Win32Processes::open(std::uint32_t id) {
    return OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
}

bool Win32Processes::imagePath(platform::OsHandle process, std::u16string& path) {
    // Room for any path the system can give, so that an image is never compared cut short.
    std::u16string buffer(32768, u'\0');
    DWORD size = DWORD(buffer.size());
    HANDLE handle = static_cast<HANDLE>(process);
    DWORD n = GetModuleFileNameExW(handle, nullptr, wide(buffer.data()), size);
    if (n == 0) {
        // A 32-bit installer cannot read the modules of a 64-bit process; the system still
        // names its image.
        DWORD length = size;
        if (!QueryFullProcessImageNameW(handle, 0, wide(buffer.data()), &length)) return false;
        n = length;
    }
    if (n == 0 || n >= size - 1) return false;
    path.assign(buffer.data(), n);
    return true;
}

namespace {
struct CloseRequest {
    DWORD id;
    int posted;
};

BOOL CALLBACK closeWindowsOf(HWND window, LPARAM param) {
    auto* request = reinterpret_cast<CloseRequest*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == request->id) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        PostMessageW(window, WM_DESTROY, 0, 0);
        ++request->posted;
    }
    return TRUE;
}
}  // namespace

int Win32Processes::postCloseToWindows(std::uint32_t id) {
    CloseRequest request{id, 0};
    EnumWindows(closeWindowsOf, reinterpret_cast<LPARAM>(&request));
    return request.posted;
}

}  // namespace win32
