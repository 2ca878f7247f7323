#include "platform/win32/Win32FolderPicker.h"

#include <windows.h>
// After windows.h.
#include <shlobj.h>

#include "platform/win32/Wide.h"

namespace win32 {

platform::FolderChoice Win32FolderPicker::browse(void* owner, const char16_t* title,
                                                 TextBuffer& path) {
    static_assert(kTextUnits >= MAX_PATH, "the shell writes up to MAX_PATH units");
    BROWSEINFOW info = {};
    // Owned: the shell disables the owner while the chooser runs its modal loop, so nothing
    // can be clicked behind it.
    info.hwndOwner = static_cast<HWND>(owner);
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = wide(path);
    info.lpszTitle = wide(title);
    info.ulFlags = 0;
    info.lpfn = nullptr;
    info.lParam = 0;
    // The shell's dialog needs COM on the calling thread; the window thread has none otherwise.
    HRESULT com = CoInitialize(nullptr);
    PIDLIST_ABSOLUTE items = SHBrowseForFolderW(&info);
    if (!items) {
        if (SUCCEEDED(com)) CoUninitialize();
        return platform::FolderChoice::Cancelled;
    }
    bool hasPath = SHGetPathFromIDListW(items, wide(path)) != FALSE;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(items);
        allocator->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return hasPath ? platform::FolderChoice::Chosen : platform::FolderChoice::NoPath;
}

}  // namespace win32
