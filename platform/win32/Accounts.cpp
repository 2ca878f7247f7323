#include "platform/win32/Accounts.h"

#include "platform/win32/Wide.h"

namespace win32 {

bool accountOfSid(PSID sid, std::u16string& name) {
    wchar_t account[256] = {}, domain[256] = {};
    DWORD accountUnits = 256, domainUnits = 256;
    SID_NAME_USE use = SidTypeUnknown;
    if (!sid ||
        !LookupAccountSidW(nullptr, sid, account, &accountUnits, domain, &domainUnits, &use)) {
        return false;
    }
    name = domain[0] ? std::u16string(narrow16(domain)) + u"\\" + narrow16(account)
                     : std::u16string(narrow16(account));
    return true;
}

bool isLocalSystemSid(PSID sid) {
    std::uint8_t system[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof system;
    return sid && IsValidSid(sid) &&
           CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size) && EqualSid(sid, system);
}

}  // namespace win32
