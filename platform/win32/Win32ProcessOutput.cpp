// A driver script's output, captured for the setup log: a temporary file it inherits as its
// standard output and error, read back once it has ended.
#include <windows.h>
// After windows.h.
#include <sddl.h>

#include <random>
#include <string>
#include <vector>

#include "platform/win32/Wide.h"
#include "platform/win32/Win32Processes.h"

namespace win32 {

namespace {

// Administrators and SYSTEM only: the file lies in a temporary folder others may write.
constexpr wchar_t kSinkList[] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)";

// Everything prepared before the redirection goes off, so that nothing between the two calls
// can fail or allocate.
struct Launch {
    STARTUPINFOEXW startup = {};
    std::u16string line;
    std::vector<std::uint8_t> attributes;
    HANDLE inherited[1] = {};
};

bool prepare(Launch& launch, const char16_t* commandLine, HANDLE sink) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    launch.attributes.resize(size ? size : 1);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(launch.attributes.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return false;
    launch.inherited[0] = sink;
    // Only the sink is inherited, whatever else this process may hold.
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, launch.inherited,
                                   sizeof launch.inherited, nullptr, nullptr)) {
        DeleteProcThreadAttributeList(list);
        return false;
    }
    launch.startup.StartupInfo.cb = sizeof launch.startup;
    launch.startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    launch.startup.StartupInfo.wShowWindow = SW_HIDE;
    launch.startup.StartupInfo.hStdOutput = sink;
    launch.startup.StartupInfo.hStdError = sink;
    launch.startup.lpAttributeList = list;
    launch.line = commandLine;
    return true;
}

}  // namespace

platform::OsHandle Win32Processes::createOutputSink() {
    wchar_t base[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, base);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (n == 0 || n > MAX_PATH ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(kSinkList, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return nullptr;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, TRUE};
    std::random_device random;
    HANDLE sink = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 16 && sink == INVALID_HANDLE_VALUE; ++attempt) {
        wchar_t name[48];
        wsprintfW(name, L"TouchFrameScript-%08x%08x.txt", random(), random());
        std::wstring path = std::wstring(base) + name;
        sink = CreateFileW(path.c_str(), GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    }
    LocalFree(descriptor);
    return sink == INVALID_HANDLE_VALUE ? nullptr : sink;
}

bool Win32Processes::createWithOutput(const char16_t* commandLine, const char16_t* workingFolder,
                                      bool suspended, bool native, platform::OsHandle sink,
                                      platform::StartedProcess& started) {
    if (!sink)
        return native ? createNative(commandLine, workingFolder, suspended, started)
                      : create(commandLine, workingFolder, suspended, started);
    Launch launch;
    if (!prepare(launch, commandLine, sink)) return false;
    DWORD flags =
        CREATE_NEW_CONSOLE | EXTENDED_STARTUPINFO_PRESENT | (suspended ? CREATE_SUSPENDED : 0);
    PROCESS_INFORMATION info = {};
    PVOID previous = nullptr;
    // As createNative(): off for this thread only, around the one call, which can neither
    // throw nor allocate (everything it needs was made above).
    BOOL disabled = native && redirection_.disable(&previous);
    BOOL created = CreateProcessW(nullptr, wide(launch.line.data()), nullptr, nullptr, TRUE, flags,
                                  nullptr, wide(workingFolder), &launch.startup.StartupInfo, &info);
    if (disabled) redirection_.revert(previous);
    DeleteProcThreadAttributeList(launch.startup.lpAttributeList);
    if (!created) return false;
    started.process = info.hProcess;
    started.thread = info.hThread;
    started.id = info.dwProcessId;
    return true;
}

bool Win32Processes::readOutput(platform::OsHandle sink, std::size_t limit, std::string& text,
                                std::uint64_t& dropped) {
    text.clear();
    dropped = 0;
    LARGE_INTEGER size = {};
    if (!sink || !GetFileSizeEx(sink, &size)) return false;
    std::uint64_t total = std::uint64_t(size.QuadPart);
    dropped = total > limit ? total - limit : 0;
    text.resize(std::size_t(total - dropped));
    LARGE_INTEGER from = {};
    from.QuadPart = LONGLONG(dropped);
    DWORD read = 0;
    if (!SetFilePointerEx(sink, from, nullptr, FILE_BEGIN) ||
        (!text.empty() && !ReadFile(sink, text.data(), DWORD(text.size()), &read, nullptr))) {
        text.clear();
        return false;
    }
    text.resize(read);
    return true;
}

}  // namespace win32
