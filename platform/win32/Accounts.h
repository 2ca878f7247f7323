// Accounts behind SIDs and tokens, as the installer names them in its log and judges them.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// "DOMAIN\name" of a SID (LookupAccountSidW); false when the system cannot name it.
bool accountOfSid(PSID sid, std::u16string& name);

// Whether the SID is LocalSystem's (S-1-5-18).
bool isLocalSystemSid(PSID sid);

}  // namespace win32
