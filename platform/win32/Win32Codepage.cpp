#include "platform/win32/Win32Codepage.h"

#include <windows.h>

#include <climits>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {

// WideCharToMultiByte refuses the default-character arguments for UTF-8, which Windows 10 can
// use as its ANSI code page; there an invalid character is an error by itself.
int narrowInto(std::u16string_view text, char* out, int capacity, BOOL* usedDefault) {
    const wchar_t* in = wide(text.data());
    if (GetACP() == CP_UTF8) {
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in, int(text.size()), out,
                                   capacity, nullptr, nullptr);
    }
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, in, int(text.size()), out, capacity,
                               nullptr, usedDefault);
}

}  // namespace

bool Win32Codepage::narrow(std::u16string_view text, std::string& out) {
    if (text.size() > INT_MAX / 4) return false;
    if (text.empty()) {
        out.clear();
        return true;
    }
    BOOL usedDefault = FALSE;
    int size = narrowInto(text, nullptr, 0, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    std::string converted(std::size_t(size), '\0');
    if (narrowInto(text, converted.data(), size, &usedDefault) != size || usedDefault) return false;
    out = std::move(converted);
    return true;
}

bool Win32Codepage::widen(std::string_view text, std::u16string& out) {
    if (text.size() > INT_MAX) return false;
    if (text.empty()) {
        out.clear();
        return true;
    }
    int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), int(text.size()),
                                   nullptr, 0);
    if (size <= 0) return false;
    std::u16string converted(std::size_t(size), u'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), int(text.size()),
                            wide(converted.data()), size) != size) {
        return false;
    }
    out = std::move(converted);
    return true;
}

}  // namespace win32
