#include "tools/pkgtool/LicenceText.h"

#include <algorithm>
#include <initializer_list>

#include "common/Text.h"

namespace {

// The length of the UTF-8 sequence starting at `at` when it is well formed (no overlong form,
// no surrogate, nothing past U+10FFFF), else 0.
std::size_t sequenceLength(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::uint8_t lead = b[at];
    if (lead < 0x80) return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || at + length > b.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((b[at + i] & 0xC0) != 0x80) return 0;
    }
    std::uint8_t second = b[at + 1];
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
        return 0;
    }
    return length;
}

bool isUtf8(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    for (std::size_t i = from; i < bytes.size();) {
        std::size_t length = sequenceLength(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

void appendUtf16Le(std::u16string_view text, std::vector<std::uint8_t>& out) {
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (char16_t unit : text) {
        out.push_back(std::uint8_t(unit & 0xFF));
        out.push_back(std::uint8_t(unit >> 8));
    }
}

bool startsWith(const std::vector<std::uint8_t>& b, std::initializer_list<std::uint8_t> mark) {
    return b.size() >= mark.size() && std::equal(mark.begin(), mark.end(), b.begin());
}

}  // namespace

bool licenceTextOf(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& out,
                   std::string& cause) {
    out.clear();
    if (startsWith(bytes, {0xFF, 0xFE})) {
        if (bytes.size() % 2 == 0) {
            out = bytes;
            return true;
        }
        cause = "is UTF-16LE with an odd number of bytes (cut off?)";
        return false;
    }
    if (startsWith(bytes, {0xFE, 0xFF})) {
        if (bytes.size() % 2 != 0) {
            cause = "is UTF-16BE with an odd number of bytes (cut off?)";
            return false;
        }
        std::u16string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(char16_t((bytes[i] << 8) | bytes[i + 1]));
        }
        appendUtf16Le(text, out);
        return true;
    }
    std::size_t from = startsWith(bytes, {0xEF, 0xBB, 0xBF}) ? 3 : 0;
    // NUL is valid UTF-8, and UTF-16 without a mark is mostly NUL bytes: read as UTF-8 the
    // wizard would show its first character and stop there.
    if (std::find(bytes.begin() + long(from), bytes.end(), 0) != bytes.end()) {
        cause =
            "holds NUL bytes (UTF-16 without a byte-order mark?): save it as UTF-8 (it is "
            "converted) or as UTF-16LE with a byte-order mark";
        return false;
    }
    if (!isUtf8(bytes, from)) {
        cause =
            "is neither UTF-8 nor UTF-16 with a byte-order mark: save it as UTF-8 (it is "
            "converted) or as UTF-16LE with a byte-order mark";
        return false;
    }
    std::string text(bytes.begin() + long(from), bytes.end());
    appendUtf16Le(utf8ToUtf16(text), out);
    return true;
}
