// Access lists through the advapi32 security calls.
#pragma once

#include "platform/Security.h"

namespace win32 {

// Whether the account running this process counts among the trusted principals. Only when all
// of its processes are an administrator's: this token is an administrator's, and it is not split
// by UAC (elevation type default: UAC off, the built-in Administrator, SYSTEM) or its linked
// token is an administrator's too. An elevated administrator under UAC has processes that run
// with a limited token (Administrators for deny only), and whatever those run could write what
// the account may: a folder the account owns would let them replace a LocalSystem service's
// program. `elevationType` is a TOKEN_ELEVATION_TYPE.
bool accountCountsAsTrusted(int elevationType, bool administrator, bool linkedAdministrator);

// The judgement behind isWritableOnlyByTrusted, on an owner SID and a DACL already read: the
// owner is trusted, and no allow entry that applies to the object itself (not inherit-only)
// gives write, append, delete, delete-child, WRITE_DAC, WRITE_OWNER, GENERIC_WRITE or
// GENERIC_ALL to anyone but SYSTEM, Administrators, TrustedInstaller or this process's account when
// it counts (accountCountsAsTrusted). Deny entries take nothing away from this judgement; an entry
// of any other kind, and a missing DACL, fail it.
bool onlyTrustedMayWrite(const void* owner, const void* dacl);
// The judgement of a folder on the way to an installation: the owner is trusted, and no allow
// entry that applies to the object itself gives anyone else DELETE, delete-child, WRITE_DAC,
// WRITE_OWNER or GENERIC_ALL. Write and append (adding to the folder) are no fault.
bool onlyTrustedMayChange(const void* owner, const void* dacl);

class Win32Security : public platform::Security {
public:
    bool isWritableOnlyByTrusted(const char16_t* path) override;
    bool createProtectedFolder(const char16_t* path) override;
    bool protectFileBelow(const char16_t* base, const char16_t* relative) override;
    platform::Held holdFolderChain(const char16_t* path) override;
    platform::Held holdTrustedFile(const char16_t* base, const char16_t* relative) override;
};

}  // namespace win32
