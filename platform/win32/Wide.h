// char16_t and wchar_t are the same 16-bit units on Windows; these casts cross the boundary.
#pragma once

#include <string>

inline const wchar_t* wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* wide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}
inline const char16_t* narrow16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}
