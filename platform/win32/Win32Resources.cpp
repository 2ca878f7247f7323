#include "platform/win32/Win32Resources.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace win32 {

bool Win32Resources::lock(int id, const char16_t* type, platform::ResourceView& view) {
    view = {};
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), wide(type));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(self, found);
    if (!loaded) return false;
    const void* bytes = LockResource(loaded);
    if (!bytes) {
        FreeResource(loaded);
        return false;
    }
    view.data = static_cast<const std::uint8_t*>(bytes);
    view.size = SizeofResource(self, found);
    view.handle = loaded;
    return true;
}

void Win32Resources::release(platform::ResourceView& view) {
    if (view.handle) FreeResource(static_cast<HGLOBAL>(view.handle));
    view = {};
}

int Win32Resources::loadString(int id, char16_t* buffer, int units) {
    if (units <= 0) return 0;
    buffer[0] = u'\0';
    return LoadStringW(GetModuleHandleW(nullptr), UINT(id), wide(buffer), units);
}

}  // namespace win32
