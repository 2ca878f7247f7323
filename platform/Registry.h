// The registry as the installation records need it: create or open a key under a root, read a
// text value, set text and number values, delete a value, and delete a key that has no subkeys.
// Key paths and value names are NUL-terminated UTF-16; names compare without regard to case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/Text.h"
#include "platform/Platform.h"

namespace platform {

// The predefined roots under their real handle numbers: the uninstall log stores a root as this
// 32-bit number, so it must not change.
enum class RegistryRoot : std::uint32_t {
    ClassesRoot = 0x80000000u,   // HKEY_CLASSES_ROOT
    CurrentUser = 0x80000001u,   // HKEY_CURRENT_USER
    LocalMachine = 0x80000002u,  // HKEY_LOCAL_MACHINE
    Users = 0x80000003u,         // HKEY_USERS
};

// The root a stored number names; false for any number that is not one of the roots above.
bool registryRootOf(std::uint32_t value, RegistryRoot& root);

enum class KeyAccess { Read, AllAccess };  // KEY_READ, KEY_ALL_ACCESS

// Value types under their registry numbers.
constexpr std::uint32_t kRegSz = 1;        // REG_SZ
constexpr std::uint32_t kRegExpandSz = 2;  // REG_EXPAND_SZ
constexpr std::uint32_t kRegDword = 4;     // REG_DWORD

// An open key. Zero is no key.
using RegistryKey = std::uintptr_t;

// Largest data a text query takes: a 260-unit buffer.
constexpr std::uint32_t kRegistryTextBytes = kTextUnits * 2;

// Turns what a query returned into a terminated text. A stored value may or may not carry its
// terminator, so the text ends at the first NUL or at the end of the data. False (text emptied)
// when the value is not a string, or when it has no NUL within 259 units and so would need the
// whole buffer and more.
bool registryText(std::uint32_t type, const std::uint8_t* bytes, std::size_t size,
                  TextBuffer& text);

class Registry {
public:
    virtual ~Registry() = default;
    // RegCreateKeyExW(root, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, &disposition): opens
    // the key or creates it with every missing key above it. `created` tells whether the key
    // itself is new.
    virtual bool createKey(RegistryRoot root, const char16_t* path, RegistryKey& key,
                           bool& created) = 0;
    // RegOpenKeyExW(root, path, 0, access): an existing key only.
    virtual bool openKey(RegistryRoot root, const char16_t* path, KeyAccess access,
                         RegistryKey& key) = 0;
    // RegOpenKeyW(root, path): an existing key, with the most access the caller may have.
    virtual bool openExistingKey(RegistryRoot root, const char16_t* path, RegistryKey& key) = 0;
    // RegQueryValueExW into a 260-unit buffer (520 bytes), then registryText. A value larger
    // than the buffer fails. `name` none or empty is the default value.
    virtual bool queryString(RegistryKey key, const char16_t* name, TextBuffer& text) = 0;
    // RegQueryValueExW of a REG_DWORD value; false for a missing value or one of another type
    // or size.
    virtual bool queryDword(RegistryKey key, const char16_t* name, std::uint32_t& value) = 0;
    // RegSetValueExW REG_SZ with a byte count of 2 x the text's length, without the terminator.
    // (Windows itself stores a terminator when the unit just past the count is a NUL, as it is
    // for every terminated text; the fake stores exactly what was counted.) `name` none is the
    // default value.
    virtual bool setString(RegistryKey key, const char16_t* name, std::u16string_view text) = 0;
    // RegSetValueExW REG_DWORD, 4 bytes.
    virtual bool setDword(RegistryKey key, const char16_t* name, std::uint32_t value) = 0;
    // RegDeleteKeyW(key, subkey): fails while the subkey has subkeys of its own. An empty
    // subkey names the open key itself.
    virtual bool deleteKey(RegistryKey key, const char16_t* subkey) = 0;
    // RegDeleteValueW.
    virtual bool deleteValue(RegistryKey key, const char16_t* name) = 0;
    // RegCloseKey.
    virtual void closeKey(RegistryKey key) = 0;
};

inline Registry& registry() {
    return *os().registry;
}

}  // namespace platform
