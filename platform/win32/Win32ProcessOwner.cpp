// Whose a running process is, and starting a program again for that account.
#include <windows.h>

#include <vector>

#include "platform/win32/Accounts.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Processes.h"

namespace win32 {

namespace {

bool userOf(HANDLE token, std::vector<std::uint8_t>& user) {
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user.resize(size);
    return size != 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size);
}

bool isThisAccount(PSID sid) {
    HANDLE own = nullptr;
    std::vector<std::uint8_t> mine;
    bool same = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) && userOf(own, mine) &&
                EqualSid(sid, reinterpret_cast<TOKEN_USER*>(mine.data())->User.Sid);
    if (own) CloseHandle(own);
    return same;
}

}  // namespace

bool Win32Processes::ownerOf(platform::OsHandle process, platform::ProcessOwner& owner) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(static_cast<HANDLE>(process),
                          TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, &token)) {
        return false;
    }
    std::vector<std::uint8_t> user;
    bool known = userOf(token, user);
    if (known) {
        PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
        if (!accountOfSid(sid, owner.account)) owner.account.clear();
        owner.isLocalSystem = isLocalSystemSid(sid);
        owner.isThisAccount = isThisAccount(sid);
        HANDLE primary = nullptr;
        if (DuplicateTokenEx(token, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                             &primary)) {
            owner.token = primary;
        }
    }
    CloseHandle(token);
    return known;
}

bool Win32Processes::createAsUser(platform::OsHandle token, const char16_t* commandLine,
                                  const char16_t* workingFolder,
                                  platform::StartedProcess& started) {
    if (!token || !commandLine) return false;
    std::wstring command = wide(commandLine);
    wchar_t desktop[] = L"winsta0\\default";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION info{};
    if (!CreateProcessAsUserW(static_cast<HANDLE>(token), nullptr, command.data(), nullptr, nullptr,
                              FALSE, CREATE_NEW_CONSOLE, nullptr,
                              workingFolder ? wide(workingFolder) : nullptr, &startup, &info)) {
        return false;
    }
    started.process = info.hProcess;
    started.thread = info.hThread;
    started.id = info.dwProcessId;
    return true;
}

}  // namespace win32
