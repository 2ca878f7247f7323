#include "platform/win32/Win32FileSystem.h"

#include <shlobj.h>
#include <windows.h>

#include "common/Text.h"
#include "platform/win32/Wide.h"

namespace win32 {

bool Win32FileSystem::exists(const char16_t* path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wide(path), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

bool Win32FileSystem::createFolder(const char16_t* path) {
    return CreateDirectoryW(wide(path), nullptr) != FALSE;
}

bool Win32FileSystem::removeFolder(const char16_t* path) {
    return RemoveDirectoryW(wide(path)) != FALSE;
}

bool Win32FileSystem::deleteFile(const char16_t* path) {
    return DeleteFileW(wide(path)) != FALSE;
}

bool Win32FileSystem::listFolder(const char16_t* path, std::vector<platform::DirEntry>& entries) {
    entries.clear();
    DWORD attributes = GetFileAttributesW(wide(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return false;
    }
    TextBuffer pattern;
    if (!joinPath(pattern, viewOf(path), u"*.*")) return false;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(wide(pattern), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back({std::u16string(narrow16(data.cFileName)), isDir});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

platform::WriteResult Win32FileSystem::writeFile(const char16_t* path, const std::uint8_t* bytes,
                                                 std::size_t size) {
    HANDLE file =
        CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return platform::WriteResult::CannotCreate;
    DWORD written = 0;
    BOOL ok = size == 0 || WriteFile(file, bytes, DWORD(size), &written, nullptr);
    CloseHandle(file);
    return ok && written == size ? platform::WriteResult::Written
                                 : platform::WriteResult::ShortWrite;
}

bool Win32FileSystem::readFile(const char16_t* path, std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    bool ok = high == 0 && low != INVALID_FILE_SIZE;
    DWORD got = 0;
    if (ok) {
        bytes.resize(low);
        ok = low == 0 || (ReadFile(file, bytes.data(), low, &got, nullptr) && got == low);
    }
    CloseHandle(file);
    return ok;
}

bool Win32FileSystem::specialFolder(platform::SpecialFolder which, std::u16string& path) {
    int csidl = CSIDL_PROGRAM_FILES;
    BOOL create = TRUE;
    switch (which) {
        case platform::SpecialFolder::ProgramFiles:
            csidl = CSIDL_PROGRAM_FILES;
            break;
        case platform::SpecialFolder::Programs:
            csidl = CSIDL_PROGRAMS;
            break;
        case platform::SpecialFolder::Desktop:
            csidl = CSIDL_DESKTOP;
            break;
        case platform::SpecialFolder::System:
            csidl = CSIDL_SYSTEM;
            break;
        case platform::SpecialFolder::CommonDocuments:
            csidl = CSIDL_COMMON_DOCUMENTS;
            create = FALSE;
            break;
    }
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, create)) return false;
    path = narrow16(buffer);
    return true;
}

}  // namespace win32
