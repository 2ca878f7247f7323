#include "platform/win32/DllSafety.h"

#include <windows.h>

namespace win32 {

namespace {

// DLLs that GDI+ and the common controls load in turn at some later call. Windows applies the
// limit below to those loads as well; Wine 8 does not for the delay imports of its own built-in
// DLLs (its GDI+ took windowscodecs.dll from the program's folder despite the limit). Loading
// the System32 copies at once makes every later lookup by name find them, whatever route it
// takes. A DLL the system does not have is simply not loaded.
constexpr const wchar_t* kLoadedFromSystemAtOnce[] = {L"gdiplus.dll", L"windowscodecs.dll",
                                                      L"propsys.dll"};

}  // namespace

bool restrictDllSearchToSystem() {
    SetDllDirectoryW(L"");
    // Looked up rather than imported: where the call is missing the program must still start.
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    auto set = reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    bool restricted = set && set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (restricted) {
        for (const wchar_t* dll : kLoadedFromSystemAtOnce) {
            LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        }
    }
    return restricted;
}

}  // namespace win32
