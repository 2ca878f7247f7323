// The registry through the Win32 calls the installer has always used.
#pragma once

#include "platform/Registry.h"

namespace win32 {

class Win32Registry : public platform::Registry {
public:
    bool createKey(platform::RegistryRoot root, const char16_t* path, platform::RegistryKey& key,
                   bool& created) override;
    bool openKey(platform::RegistryRoot root, const char16_t* path, platform::KeyAccess access,
                 platform::RegistryKey& key) override;
    bool openExistingKey(platform::RegistryRoot root, const char16_t* path,
                         platform::RegistryKey& key) override;
    bool queryString(platform::RegistryKey key, const char16_t* name, TextBuffer& text) override;
    bool queryDword(platform::RegistryKey key, const char16_t* name, std::uint32_t& value) override;
    bool setString(platform::RegistryKey key, const char16_t* name,
                   std::u16string_view text) override;
    bool setDword(platform::RegistryKey key, const char16_t* name, std::uint32_t value) override;
    bool deleteKey(platform::RegistryKey key, const char16_t* subkey) override;
    bool deleteValue(platform::RegistryKey key, const char16_t* name) override;
    void closeKey(platform::RegistryKey key) override;
};

}  // namespace win32
