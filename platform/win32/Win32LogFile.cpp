#include "platform/win32/Win32LogFile.h"

#include <windows.h>

#include <sddl.h>
#include <aclapi.h>

#include <vector>

#include "common/Names.h"
#include "common/Text.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Security.h"

namespace win32 {

namespace {

using platform::LogOpening;
using platform::LogRefusal;

// Administrators and SYSTEM full control, Users read: a log nobody else can write into later.
constexpr wchar_t kProtectedFileList[] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FR;;;BU)";

LogRefusal refusalOfError(DWORD error) {
    switch (error) {
        case ERROR_PATH_NOT_FOUND:
            return LogRefusal::NoFolder;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return LogRefusal::InUse;
        default:
            return LogRefusal::Failed;
    }
}

// Wine reports its links only through the path, Windows through a handle on the link itself:
// both are asked.
bool isLinkByPath(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The folders from the drive's root down to the log's own, each opened itself and kept open
// without sharing deletion until the file is open, so that none can be renamed or swapped for a
// link meanwhile. A path that is no drive and plain names (a network share) has no chain to
// walk: only its last name is judged.
struct HeldFolders {
    std::vector<HANDLE> handles;
    ~HeldFolders() {
        for (HANDLE h : handles) CloseHandle(h);
    }
};

LogRefusal holdFoldersOnTheWay(const std::wstring& path, HeldFolders& held, DWORD& error) {
    std::vector<std::u16string> chain;
    std::u16string folder(parentOf(narrow16(path.c_str())));
    if (!folderChainOf(folder, chain)) return LogRefusal::None;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        std::wstring name = wide(chain[i].c_str());
        if (i > 0 && isLinkByPath(name)) return LogRefusal::Link;
        HANDLE folder = CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr);
        if (folder == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND ? LogRefusal::NoFolder : refusalOfError(error);
        }
        held.handles.push_back(folder);
        FILE_ATTRIBUTE_TAG_INFO tag = {};
        if (!GetFileInformationByHandleEx(folder, FileAttributeTagInfo, &tag, sizeof tag)) {
            error = GetLastError();
            return LogRefusal::Failed;
        }
        if (i > 0 && (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return LogRefusal::Link;
        if (!(tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return LogRefusal::NoFolder;
    }
    return LogRefusal::None;
}

bool writableOnlyByTrusted(HANDLE file) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool ok = GetSecurityInfo(file, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS &&
              onlyTrustedMayWrite(owner, dacl);
    if (descriptor) LocalFree(descriptor);
    return ok;
}

// Only a plain file with this one name may be written: a link (a planted one leads the
// elevated installer's writes anywhere) or a second name of another file is refused, and so is
// a file that was there already and that others could have written.
LogRefusal judgeFile(HANDLE file, bool existed, std::uint64_t& size) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info)) {
        return LogRefusal::NotAFile;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return LogRefusal::Link;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return LogRefusal::NotAFile;
    if (info.nNumberOfLinks != 1) return LogRefusal::SecondName;
    if (existed && !writableOnlyByTrusted(file)) return LogRefusal::OthersCanWrite;
    size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return LogRefusal::None;
}

HANDLE createProtected(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFileList, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return INVALID_HANDLE_VALUE;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA | READ_CONTROL | SYNCHRONIZE | DELETE,
                              FILE_SHARE_READ, &attributes, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    LocalFree(descriptor);
    return file;
}

// A file this run made and then refused goes again, through its own handle.
void removeMade(HANDLE file) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

Win32LogFile::~Win32LogFile() {
    close();
}

LogOpening Win32LogFile::open(const char16_t* path) {
    close();
    LogOpening result;
    std::wstring name = wide(path);
    HeldFolders folders;
    DWORD error = 0;
    result.refusal = holdFoldersOnTheWay(name, folders, error);
    if (result.refusal == LogRefusal::None && isLinkByPath(name)) result.refusal = LogRefusal::Link;
    if (result.refusal != LogRefusal::None) {
        result.error = error;
        return result;
    }
    HANDLE file = CreateFileW(name.c_str(), FILE_APPEND_DATA | READ_CONTROL | SYNCHRONIZE,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    result.existed = file != INVALID_HANDLE_VALUE;
    if (!result.existed && GetLastError() == ERROR_FILE_NOT_FOUND) file = createProtected(name);
    if (file == INVALID_HANDLE_VALUE) {
        result.error = GetLastError();
        result.refusal = refusalOfError(result.error);
        return result;
    }
    result.refusal = judgeFile(file, result.existed, result.size);
    if (result.refusal != LogRefusal::None) {
        if (!result.existed) removeMade(file);
        CloseHandle(file);
        return result;
    }
    handle_ = file;
    return result;
}

bool Win32LogFile::append(const char* bytes, std::size_t size) {
    if (!handle_) return false;
    while (size > 0) {
        DWORD chunk = size > 0x10000000 ? 0x10000000 : DWORD(size);
        DWORD written = 0;
        // Opened for appending only: every write lands at the end.
        if (!WriteFile(handle_, bytes, chunk, &written, nullptr) || written == 0) {
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
