// Files and folders through the Win32 calls the installer has always used.
#pragma once

#include "platform/FileSystem.h"

namespace win32 {

class Win32FileSystem : public platform::FileSystem {
public:
    bool exists(const char16_t* path) override;
    bool createFolder(const char16_t* path) override;
    platform::DeleteResult removeFolder(const char16_t* path) override;
    platform::DeleteResult deleteFile(const char16_t* path) override;
    bool listFolder(const char16_t* path, std::vector<platform::DirEntry>& entries) override;
    platform::WriteResult writeFile(const char16_t* path, const std::uint8_t* bytes,
                                    std::size_t size) override;
    bool readFile(const char16_t* path, std::vector<std::uint8_t>& bytes,
                  std::size_t limit = SIZE_MAX) override;
    bool specialFolder(platform::SpecialFolder which, std::u16string& path) override;
    bool listBelow(const char16_t* base, const char16_t* relative,
                   std::vector<platform::DirEntry>& entries) override;
    platform::DeleteResult removeBelow(const char16_t* base, const char16_t* relative) override;
    bool createFolderBelow(const char16_t* base, const char16_t* relative) override;
    bool readFileBelow(const char16_t* base, const char16_t* relative,
                       std::vector<std::uint8_t>& bytes, std::size_t limit) override;
    platform::WriteResult writeFileBelow(const char16_t* base, const char16_t* relative,
                                         const std::uint8_t* bytes, std::size_t size) override;
    platform::WriteResult writeFileFrom(const char16_t* path,
                                        const platform::FileFiller& fill) override;
    platform::WriteResult writeFileBelowFrom(const char16_t* base, const char16_t* relative,
                                             const platform::FileFiller& fill) override;
};

}  // namespace win32
