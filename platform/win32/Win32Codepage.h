// The ANSI code page (CP_ACP), as the C runtime's "%S" conversions of the installer use it.
#pragma once

#include "platform/Codepage.h"

namespace win32 {

class Win32Codepage : public platform::Codepage {
public:
    bool narrow(std::u16string_view text, std::string& out) override;
    bool widen(std::string_view text, std::u16string& out) override;
};

}  // namespace win32
