#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {

HKEY rootKey(platform::RegistryRoot root) {
    switch (root) {
        case platform::RegistryRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case platform::RegistryRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case platform::RegistryRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case platform::RegistryRoot::Users:
            return HKEY_USERS;
    }
    return nullptr;
}

HKEY handle(platform::RegistryKey key) {
    return reinterpret_cast<HKEY>(key);
}

platform::RegistryKey keyOf(HKEY key) {
    return reinterpret_cast<platform::RegistryKey>(key);
}

}  // namespace

bool Win32Registry::createKey(platform::RegistryRoot root, const char16_t* path,
                              platform::RegistryKey& key, bool& created) {
    HKEY opened = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExW(rootKey(root), wide(path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &opened, &disposition);
    if (result != ERROR_SUCCESS) return false;
    key = keyOf(opened);
    created = disposition == REG_CREATED_NEW_KEY;
    return true;
}

bool Win32Registry::openKey(platform::RegistryRoot root, const char16_t* path,
                            platform::KeyAccess access, platform::RegistryKey& key) {
    REGSAM sam = access == platform::KeyAccess::Read ? KEY_READ : KEY_ALL_ACCESS;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(rootKey(root), wide(path), 0, sam, &opened) != ERROR_SUCCESS) return false;
    key = keyOf(opened);
    return true;
}

bool Win32Registry::openExistingKey(platform::RegistryRoot root, const char16_t* path,
                                    platform::RegistryKey& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyW(rootKey(root), wide(path), &opened) != ERROR_SUCCESS) return false;
    key = keyOf(opened);
    return true;
}

bool Win32Registry::queryString(platform::RegistryKey key, const char16_t* name, TextBuffer& text) {
    BYTE data[platform::kRegistryTextBytes];
    DWORD type = 0;
    DWORD size = sizeof data;
    text[0] = 0;
    if (RegQueryValueExW(handle(key), wide(name), nullptr, &type, data, &size) != ERROR_SUCCESS) {
        return false;
    }
    return platform::registryText(type, data, size, text);
}

bool Win32Registry::queryDword(platform::RegistryKey key, const char16_t* name,
                               std::uint32_t& value) {
    DWORD data = 0, type = 0, size = sizeof data;
    if (RegQueryValueExW(handle(key), wide(name), nullptr, &type, reinterpret_cast<BYTE*>(&data),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
        return false;
    }
    value = data;
    return true;
}

bool Win32Registry::setString(platform::RegistryKey key, const char16_t* name,
                              std::u16string_view text) {
    if (text.size() > MAXDWORD / 2) return false;
    auto bytes = reinterpret_cast<const BYTE*>(text.data());
    return RegSetValueExW(handle(key), wide(name), 0, REG_SZ, bytes, DWORD(text.size() * 2)) ==
           ERROR_SUCCESS;
}

bool Win32Registry::setDword(platform::RegistryKey key, const char16_t* name, std::uint32_t value) {
    DWORD data = value;
    return RegSetValueExW(handle(key), wide(name), 0, REG_DWORD, reinterpret_cast<BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool Win32Registry::deleteKey(platform::RegistryKey key, const char16_t* subkey) {
    return RegDeleteKeyW(handle(key), wide(subkey ? subkey : u"")) == ERROR_SUCCESS;
}

bool Win32Registry::deleteValue(platform::RegistryKey key, const char16_t* name) {
    return RegDeleteValueW(handle(key), wide(name)) == ERROR_SUCCESS;
}

void Win32Registry::closeKey(platform::RegistryKey key) {
    RegCloseKey(handle(key));
}

}  // namespace win32
