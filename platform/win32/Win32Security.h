// Access lists through the advapi32 security calls.
#pragma once

#include "platform/Security.h"

namespace win32 {

class Win32Security : public platform::Security {
public:
    bool isWritableOnlyByTrusted(const char16_t* path) override;
    bool createProtectedFolder(const char16_t* path) override;
};

}  // namespace win32
