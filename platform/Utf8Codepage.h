// UTF-8 as the 8-bit text: the native tools' code page, and the fakes'.
#pragma once

#include "platform/Codepage.h"

namespace platform {

class Utf8Codepage : public Codepage {
public:
    bool narrow(std::u16string_view text, std::string& out) override;
    bool widen(std::string_view text, std::u16string& out) override;
};

}  // namespace platform
