// The system's 8-bit text, as a "%S" conversion sees it: the ANSI code page on Windows, UTF-8
// elsewhere. Neither direction substitutes a stand-in character: a text that has no faithful
// form is refused, so a folder name can never turn into a different folder.
#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace platform {

class Codepage {
public:
    virtual ~Codepage() = default;
    // UTF-16 to 8-bit text; false when a character has no 8-bit form.
    virtual bool narrow(std::u16string_view text, std::string& out) = 0;
    // 8-bit text to UTF-16; false when the bytes are not valid text in the code page.
    virtual bool widen(std::string_view text, std::u16string& out) = 0;
};

inline Codepage& codepage() {
    return *os().codepage;
}

}  // namespace platform
