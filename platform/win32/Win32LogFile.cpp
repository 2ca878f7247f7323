#include "platform/win32/Win32LogFile.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {

// Only a plain file with this one name may be written: a link (a planted one leads the
// elevated installer's writes anywhere) or a second name of another file is refused.
bool isPlainSingleFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info)) {
        return false;
    }
    DWORD refused = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    return (info.dwFileAttributes & refused) == 0 && info.nNumberOfLinks == 1;
}

}  // namespace

Win32LogFile::~Win32LogFile() {
    close();
}

bool Win32LogFile::open(const char16_t* path) {
    close();
    HANDLE file = CreateFileW(wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // Emptied only once it is known to be ours to write.
    if (!isPlainSingleFile(file) || !SetEndOfFile(file)) {
        CloseHandle(file);
        return false;
    }
    handle_ = file;
    return true;
}

bool Win32LogFile::append(const char* bytes, std::size_t size) {
    if (!handle_) return false;
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : DWORD(size);
        DWORD written = 0;
        LARGE_INTEGER end{};
        if (!SetFilePointerEx(handle_, end, nullptr, FILE_END) ||
            !WriteFile(handle_, bytes, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

void Win32LogFile::close() {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
}

bool Win32LogFile::tempFolder(std::u16string& path) {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return false;
    while (n > 3 && buffer[n - 1] == L'\\') --n;
    path.assign(reinterpret_cast<const char16_t*>(buffer), n);
    return true;
}

platform::LocalTime Win32LogFile::localTime() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::uint32_t Win32LogFile::lastError() {
    return GetLastError();
}

}  // namespace win32
