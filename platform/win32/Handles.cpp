#include "platform/win32/Handles.h"

namespace win32 {

bool finalPathOf(HANDLE handle, std::wstring& path) {
    DWORD needed = GetFinalPathNameByHandleW(handle, nullptr, 0, VOLUME_NAME_DOS);
    if (needed == 0) return false;
    path.assign(needed, L'\0');
    DWORD got = GetFinalPathNameByHandleW(handle, path.data(), needed, VOLUME_NAME_DOS);
    if (got == 0 || got >= needed) return false;
    path.resize(got);
    return true;
}

bool sameFinalPath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace win32
