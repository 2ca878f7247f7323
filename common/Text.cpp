#include "common/Text.h"

#include <algorithm>

std::size_t textLength(const char16_t* text, std::size_t limit) {
    std::size_t n = 0;
    while (n < limit && text[n] != 0) ++n;
    return n;
}

bool copyText(TextBuffer& dst, std::u16string_view src) {
    if (src.size() >= kTextUnits) {
        dst[0] = 0;
        return false;
    }
    std::copy(src.begin(), src.end(), dst);
    dst[src.size()] = 0;
    return true;
}

bool joinPath(TextBuffer& dst, std::u16string_view a, std::u16string_view b) {
    std::u16string joined;
    joined.reserve(a.size() + b.size() + 1);
    joined.append(a).append(u"\\").append(b);
    return copyText(dst, joined);
}

bool joinPath(TextBuffer& dst, std::u16string_view a, std::u16string_view b,
              std::u16string_view c) {
    std::u16string joined;
    joined.reserve(a.size() + b.size() + c.size() + 2);
    joined.append(a).append(u"\\").append(b).append(u"\\").append(c);
    return copyText(dst, joined);
}

bool appendText(TextBuffer& dst, std::u16string_view tail) {
    std::size_t have = textLength(dst, kTextUnits);
    if (have + tail.size() >= kTextUnits) return false;
    std::copy(tail.begin(), tail.end(), dst + have);
    dst[have + tail.size()] = 0;
    return true;
}

bool textEquals(const char16_t* a, const char16_t* b) {
    return viewOf(a) == viewOf(b);
}

std::u16string_view fileNameOf(std::u16string_view path) {
    std::size_t cut = path.rfind(u'\\');
    return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

std::u16string_view stemOf(std::u16string_view path) {
    std::u16string_view name = fileNameOf(path);
    return name.substr(0, name.find(u'.'));
}

std::u16string_view parentOf(std::u16string_view path) {
    for (std::size_t i = path.size(); i-- > 1;) {
        if (path[i] == u'\\') return path.substr(0, i);
    }
    return path;
}

char16_t asciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

bool containsIgnoringAsciiCase(std::u16string_view text, std::u16string_view needle) {
    if (needle.size() > text.size()) return false;
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && asciiLower(text[i + k]) == asciiLower(needle[k])) ++k;
        if (k == needle.size()) return true;
    }
    return false;
}

namespace {
void putUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(char16_t(cp));
    }
}

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when it is malformed.
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
    auto b = static_cast<unsigned char>(text[i]);
    std::size_t len = b < 0x80         ? 1
                      : (b >> 5) == 6  ? 2
                      : (b >> 4) == 14 ? 3
                      : (b >> 3) == 30 ? 4
                                       : 0;
    if (len == 0 || i + len > text.size()) return 0;
    cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        auto c = static_cast<unsigned char>(text[i + k]);
        if ((c >> 6) != 2) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}
}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        std::size_t len = decodeUtf8(text, i, cp);
        putUtf16(out, len ? cp : 0xFFFD);
        i += len ? len : 1;
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80         ? 1
                             : (c >> 5) == 6  ? 2
                             : (c >> 4) == 14 ? 3
                             : (c >> 3) == 30 ? 4
                                              : 0;
        if (length == 0 || i + length > text.size()) return false;
        std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        static const std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}
