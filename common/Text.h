// UTF-16 text in the fixed 260-unit buffers the installer's records use, and the path helpers
// shared by the package, the engine and the wizard. Every copy and join is bounded: a text that
// does not fit is refused, never cut, so a long name can never turn into a different path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::size_t kTextUnits = 260;  // 259 characters and the terminator

using TextBuffer = char16_t[kTextUnits];

// Length of a NUL-terminated UTF-16 text, bounded by `limit` units.
std::size_t textLength(const char16_t* text, std::size_t limit = SIZE_MAX);

// Copies `src` into the buffer with its terminator; false (buffer emptied) when it needs more
// than 259 units.
bool copyText(TextBuffer& dst, std::u16string_view src);

// "%s\%s" and "%s\%s\%s"; false (buffer emptied) when the result would not fit.
bool joinPath(TextBuffer& dst, std::u16string_view a, std::u16string_view b);
bool joinPath(TextBuffer& dst, std::u16string_view a, std::u16string_view b, std::u16string_view c);

// Appends `tail` to what the buffer holds; false (buffer unchanged) when it would not fit.
bool appendText(TextBuffer& dst, std::u16string_view tail);

inline std::u16string_view viewOf(const char16_t* text) {
    return text ? std::u16string_view(text, textLength(text, kTextUnits)) : std::u16string_view();
}

bool textEquals(const char16_t* a, const char16_t* b);

// The text after the last backslash; empty for an empty path or one that ends in a backslash.
std::u16string_view fileNameOf(std::u16string_view path);
// The file name up to (not including) its first "."; empty for an empty path.
std::u16string_view stemOf(std::u16string_view path);
// The path cut at its last backslash, searched from the last character down to the second.
std::u16string_view parentOf(std::u16string_view path);

// ASCII-only case folding, as the device and driver-set tests need.
char16_t asciiLower(char16_t c);
bool containsIgnoringAsciiCase(std::u16string_view text, std::u16string_view needle);

// Conversions for the tools and the posix layer. Invalid sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no surrogates,
// nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// Reads little-endian values from bytes; the caller has checked the bounds.
inline std::uint32_t readU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
inline char16_t readU16(const std::uint8_t* p) {
    return char16_t(p[0] | p[1] << 8);
}
