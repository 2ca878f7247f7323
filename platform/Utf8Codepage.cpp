#include "platform/Utf8Codepage.h"

#include "common/Text.h"

namespace platform {

// The lenient conversions of common/Text.h put U+FFFD in place of a broken sequence or a lone
// surrogate and change nothing else, so a text converts faithfully exactly when it survives the
// way back unchanged.

bool Utf8Codepage::narrow(std::u16string_view text, std::string& out) {
    std::string converted = utf16ToUtf8(text);
    if (utf8ToUtf16(converted) != text) return false;
    out = std::move(converted);
    return true;
}

bool Utf8Codepage::widen(std::string_view text, std::u16string& out) {
    std::u16string converted = utf8ToUtf16(text);
    if (utf16ToUtf8(converted) != text) return false;
    out = std::move(converted);
    return true;
}

}  // namespace platform
