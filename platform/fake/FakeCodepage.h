// UTF-8 stands in for the system code page; every conversion can be made to fail.
#pragma once

#include "platform/Utf8Codepage.h"

namespace fake {

class FakeCodepage : public platform::Utf8Codepage {
public:
    bool narrow(std::u16string_view text, std::string& out) override;
    bool widen(std::string_view text, std::u16string& out) override;
};

}  // namespace fake
