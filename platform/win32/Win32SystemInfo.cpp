#include "platform/win32/Win32SystemInfo.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Accounts.h"

namespace win32 {

bool Win32SystemInfo::enableDebugPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token)) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid) &&
              AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
    return ok;
}

std::uint16_t Win32SystemInfo::nativeArchitecture() {
    SYSTEM_INFO info = {};
    GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

namespace {
BOOL CALLBACK countMonitor(HMONITOR, HDC, LPRECT, LPARAM data) {
    ++*reinterpret_cast<int*>(data);
    return TRUE;
}

// Owns the thread handle: dropping it closes the handle without waiting, as CloseHandle does.
class Win32ThreadHandle : public platform::ThreadHandle {
public:
    explicit Win32ThreadHandle(HANDLE handle) : handle_(handle) {}
    ~Win32ThreadHandle() override { CloseHandle(handle_); }
    void wait() override { WaitForSingleObject(handle_, INFINITE); }
    void waitServingMessages() override {
        while (MsgWaitForMultipleObjects(1, &handle_, FALSE, INFINITE, QS_SENDMESSAGE) ==
               WAIT_OBJECT_0 + 1) {
            MSG message;
            // Peeking delivers the messages sent to this thread's windows.
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    bool waitServingMessagesFor(std::uint32_t ms) override {
        DWORD start = GetTickCount();
        for (;;) {
            DWORD waited = GetTickCount() - start;
            if (waited >= ms) return WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0;
            DWORD result =
                MsgWaitForMultipleObjects(1, &handle_, FALSE, ms - waited, QS_SENDMESSAGE);
            if (result != WAIT_OBJECT_0 + 1) return result == WAIT_OBJECT_0;
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }

private:
    HANDLE handle_;
};

DWORD WINAPI runBody(LPVOID parameter) {
    auto* body = static_cast<std::function<void()>*>(parameter);
    (*body)();
    delete body;
    return 0;
}
}  // namespace

namespace {

// The token's user, copied; empty when it cannot be read.
std::vector<std::uint8_t> tokenUser() {
    HANDLE token = nullptr;
    std::vector<std::uint8_t> user;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return user;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) user.clear();
    CloseHandle(token);
    return user;
}

}  // namespace

bool Win32SystemInfo::runsAsLocalSystem() {
    std::vector<std::uint8_t> user = tokenUser();
    if (user.empty()) return false;
    return win32::isLocalSystemSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
}

bool Win32SystemInfo::accountName(std::u16string& name) {
    std::vector<std::uint8_t> user = tokenUser();
    if (user.empty()) return false;
    return win32::accountOfSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, name);
}

int Win32SystemInfo::monitorCount() {
    int count = 0;
    EnumDisplayMonitors(nullptr, nullptr, countMonitor, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::unique_ptr<platform::ThreadHandle> Win32Threads::start(std::function<void()> body) {
    auto* owned = new std::function<void()>(std::move(body));
    HANDLE handle = CreateThread(nullptr, 0, runBody, owned, 0, nullptr);
    if (!handle) {
        delete owned;
        return nullptr;
    }
    return std::make_unique<Win32ThreadHandle>(handle);
}

}  // namespace win32
