#include "platform/win32/Win32MachineLocks.h"

#include <windows.h>
// After windows.h.
#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "platform/win32/Wide.h"
#include "platform/win32/Win32Security.h"

namespace win32 {

namespace {

// SYSTEM and Administrators may take it; nobody else may even wait on it.
constexpr wchar_t kLockList[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";

class MutexLock : public platform::MachineLock {
public:
    explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
    ~MutexLock() override {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }

private:
    HANDLE mutex_;
};

platform::LockAttempt failed(const char* call, DWORD error) {
    platform::LockAttempt attempt;
    attempt.call = call;
    attempt.error = error;
    return attempt;
}

// The owner this process gives what it makes (Administrators for an elevated administrator,
// SYSTEM for a service; under Wine a group of its own): a lock with that owner is one this
// program made, in this run or another.
bool isOwnDefaultOwner(PSID owner) {
    HANDLE token = nullptr;
    if (!owner || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    BYTE buffer[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_OWNER)] = {};
    DWORD size = 0;
    bool same = GetTokenInformation(token, TokenOwner, buffer, sizeof buffer, &size) &&
                EqualSid(owner, reinterpret_cast<TOKEN_OWNER*>(buffer)->Owner);
    CloseHandle(token);
    return same;
}

// A standard user may make a global mutex of any name first and hold it for ever: one whose
// owner is neither a trusted principal nor this program's own default owner, or whose list
// lets anyone else change it, is none of ours.
bool madeByTrusted(HANDLE mutex) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool ok = GetSecurityInfo(mutex, SE_KERNEL_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS;
    if (ok) {
        BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
        DWORD size = sizeof administrators;
        PSID judged = owner;
        if (isOwnDefaultOwner(owner) &&
            CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) {
            judged = administrators;
        }
        ok = onlyTrustedMayWrite(judged, dacl);
    }
    if (descriptor) LocalFree(descriptor);
    return ok;
}

}  // namespace

platform::LockAttempt Win32MachineLocks::hold(const char16_t* name, std::uint32_t waitMs) {
    std::wstring global = L"Global\\" + std::wstring(wide(name));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kLockList, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return failed("ConvertStringSecurityDescriptorToSecurityDescriptorW", GetLastError());
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE mutex = CreateMutexW(&attributes, FALSE, global.c_str());
    DWORD error = GetLastError();
    LocalFree(descriptor);
    platform::LockAttempt attempt;
    if (!mutex) {
        // Made by someone whose list keeps us out.
        if (error == ERROR_ACCESS_DENIED) attempt.outcome = platform::LockOutcome::Foreign;
        attempt.call = "CreateMutexW";
        attempt.error = error;
        return attempt;
    }
    if (error == ERROR_ALREADY_EXISTS && !madeByTrusted(mutex)) {
        CloseHandle(mutex);
        attempt.outcome = platform::LockOutcome::Foreign;
        return attempt;
    }
    switch (WaitForSingleObject(mutex, waitMs)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:
            attempt.outcome = platform::LockOutcome::Held;
            attempt.lock = std::make_unique<MutexLock>(mutex);
            return attempt;
        case WAIT_TIMEOUT:
            CloseHandle(mutex);
            attempt.outcome = platform::LockOutcome::Busy;
            return attempt;
        default:
            error = GetLastError();
            CloseHandle(mutex);
            return failed("WaitForSingleObject", error);
    }
}

}  // namespace win32
