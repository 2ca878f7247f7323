#include "platform/win32/Win32FileSystem.h"

#include <shlobj.h>
#include <windows.h>

#include <string>

#include "common/Names.h"
#include "common/Text.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Wide.h"

namespace win32 {

namespace {

platform::FileFiller onePiece(const std::uint8_t* bytes, std::size_t size) {
    return
        [bytes, size](const platform::PieceWriter& put) { return size == 0 || put(bytes, size); };
}

// Each piece in as few WriteFile calls as its size allows (one, for any piece under 1 GiB).
bool writePieces(HANDLE file, const platform::FileFiller& fill) {
    return fill([file](const std::uint8_t* bytes, std::size_t size) {
        while (size > 0) {
            DWORD chunk = size > (std::size_t(1) << 30) ? DWORD(1) << 30 : DWORD(size);
            DWORD written = 0;
            if (!WriteFile(file, bytes, chunk, &written, nullptr) || written != chunk) return false;
            bytes += chunk;
            size -= chunk;
        }
        return true;
    });
}

}  // namespace

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

platform::DeleteResult Win32FileSystem::removeFolder(const char16_t* path) {
    if (RemoveDirectoryW(wide(path))) return platform::DeleteResult::Deleted;
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
               ? platform::DeleteResult::InUse
               : platform::DeleteResult::Failed;
}

platform::DeleteResult Win32FileSystem::deleteFile(const char16_t* path) {
    if (DeleteFileW(wide(path))) return platform::DeleteResult::Deleted;
    DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        return platform::DeleteResult::InUse;
    }
    // A running program's image is refused as access denied; so are a folder and a read-only
    // file, which no waiting changes.
    DWORD attributes = GetFileAttributesW(wide(path));
    bool waitingHelps = error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                        !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
    return waitingHelps ? platform::DeleteResult::InUse : platform::DeleteResult::Failed;
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
    return writeFileFrom(path, onePiece(bytes, size));
}

platform::WriteResult Win32FileSystem::writeFileFrom(const char16_t* path,
                                                     const platform::FileFiller& fill) {
    HANDLE file =
        CreateFileW(wide(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return platform::WriteResult::CannotCreate;
    bool whole = writePieces(file, fill);
    CloseHandle(file);
    return whole ? platform::WriteResult::Written : platform::WriteResult::ShortWrite;
}

bool Win32FileSystem::readFile(const char16_t* path, std::vector<std::uint8_t>& bytes,
                               std::size_t limit) {
    HANDLE file = CreateFileW(wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    bool ok = high == 0 && low != INVALID_FILE_SIZE && low <= limit;
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
        case platform::SpecialFolder::CommonPrograms:
            csidl = CSIDL_COMMON_PROGRAMS;
            break;
        case platform::SpecialFolder::CommonDesktop:
            csidl = CSIDL_COMMON_DESKTOPDIRECTORY;
            break;
    }
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, create)) return false;
    path = narrow16(buffer);
    return true;
}

namespace {

bool deleteThrough(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition) != FALSE;
}

// An object below a base folder, opened itself and checked to be the very object at
// base\relative.
struct Below {
    std::wstring path;      // base\relative as given
    std::wstring expected;  // the base as the system resolves it, then the relative names
    Handle handle;
    DWORD attributes = 0;
    bool created = false;  // this open created the file
};

// Where base\relative must turn out to be. The base may lie behind a link of the system's own
// (a moved profile folder, say): it is trusted, so it is resolved first and only what lies
// below it has to match name for name.
bool locateBelow(const char16_t* base, const char16_t* relative, Below& below) {
    if (!isPlainRelativePath(viewOf(relative))) return false;
    Handle folder(CreateFileW(wide(base), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring resolved;
    if (!folder.valid() || !finalPathOf(folder.get(), resolved)) return false;
    std::wstring names(reinterpret_cast<const wchar_t*>(relative), textLength(relative));
    below.path = std::wstring(wide(base)) + L"\\" + names;
    below.expected = resolved + L"\\" + names;
    return true;
}

// Opens the object without following a link at its name and checks the handle: it must be the
// object at the expected path. Windows opens a link at the name as the link itself, so only a
// link on the way can lead elsewhere; Wine follows a link even at the name, and both show up
// as a final path that is not the expected one. A file this open created in the wrong place is
// deleted again through the same handle.
bool openBelow(Below& below, DWORD access, DWORD share, DWORD disposition) {
    // Whatever may create must also be able to take its creation back.
    if (disposition == OPEN_ALWAYS) access |= DELETE;
    HANDLE h =
        CreateFileW(below.path.c_str(), access | FILE_READ_ATTRIBUTES, share, nullptr, disposition,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    below.created = h != INVALID_HANDLE_VALUE && disposition == OPEN_ALWAYS &&
                    GetLastError() != ERROR_ALREADY_EXISTS;
    below.handle.reset(h);
    if (!below.handle.valid()) return false;
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    std::wstring actual;
    if (GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
        finalPathOf(h, actual) && sameFinalPath(actual, below.expected)) {
        below.attributes = tag.FileAttributes;
        return true;
    }
    if (below.created) deleteThrough(h);
    return false;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool isPlainFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Every entry of an open folder, read through its handle.
bool listThrough(HANDLE folder, std::vector<platform::DirEntry>& entries) {
    alignas(8) std::uint8_t buffer[16384];
    FILE_INFO_BY_HANDLE_CLASS next = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(folder, next, buffer, sizeof buffer)) {
            return GetLastError() == ERROR_NO_MORE_FILES;
        }
        next = FileIdBothDirectoryInfo;
        for (std::size_t at = 0;;) {
            auto* info = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buffer + at);
            auto* name = reinterpret_cast<const char16_t*>(info->FileName);
            entries.push_back({std::u16string(name, info->FileNameLength / 2),
                               (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }
}

}  // namespace

bool Win32FileSystem::listBelow(const char16_t* base, const char16_t* relative,
                                std::vector<platform::DirEntry>& entries) {
    entries.clear();
    Below below;
    if (!locateBelow(base, relative, below) ||
        !openBelow(below, FILE_LIST_DIRECTORY | SYNCHRONIZE, kShareAll, OPEN_EXISTING) ||
        !isPlainFolder(below.attributes)) {
        return false;
    }
    return listThrough(below.handle.get(), entries);
}

platform::DeleteResult Win32FileSystem::removeBelow(const char16_t* base,
                                                    const char16_t* relative) {
    Below below;
    if (!locateBelow(base, relative, below)) return platform::DeleteResult::Failed;
    if (!openBelow(below, DELETE, kShareAll, OPEN_EXISTING)) {
        // Another process has it open without sharing its deletion (a folder as its working
        // folder, say): that ends.
        return GetLastError() == ERROR_SHARING_VIOLATION ? platform::DeleteResult::InUse
                                                         : platform::DeleteResult::Failed;
    }
    if (deleteThrough(below.handle.get())) return platform::DeleteResult::Deleted;
    // A running program's image refuses its deletion as access denied; a folder that is not
    // empty or a read-only file stays so however long one waits.
    bool waitingHelps = GetLastError() == ERROR_ACCESS_DENIED &&
                        !(below.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
    return waitingHelps ? platform::DeleteResult::InUse : platform::DeleteResult::Failed;
}

bool Win32FileSystem::createFolderBelow(const char16_t* base, const char16_t* relative) {
    Below below;
    if (!locateBelow(base, relative, below)) return false;
    // CreateDirectoryW resolves the names above the new one itself: the folder is checked once
    // made, and taken away again when a link on the way put it somewhere else.
    bool made = CreateDirectoryW(below.path.c_str(), nullptr) != FALSE;
    if (!made) return false;
    if (openBelow(below, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING) &&
        isPlainFolder(below.attributes)) {
        return true;
    }
    Handle placed(CreateFileW(below.path.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (placed.valid()) deleteThrough(placed.get());
    return false;
}

platform::WriteResult Win32FileSystem::writeFileBelow(const char16_t* base,
                                                      const char16_t* relative,
                                                      const std::uint8_t* bytes, std::size_t size) {
    return writeFileBelowFrom(base, relative, onePiece(bytes, size));
}

platform::WriteResult Win32FileSystem::writeFileBelowFrom(const char16_t* base,
                                                          const char16_t* relative,
                                                          const platform::FileFiller& fill) {
    Below below;
    if (!locateBelow(base, relative, below) ||
        !openBelow(below, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                   OPEN_ALWAYS)) {
        return platform::WriteResult::CannotCreate;
    }
    if (below.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (below.created) deleteThrough(below.handle.get());
        return platform::WriteResult::CannotCreate;
    }
    // A file with a second name (a hard link planted in a folder others can write) is also some
    // other file, which the write would change.
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(below.handle.get(), &info) || info.nNumberOfLinks != 1) {
        return platform::WriteResult::CannotCreate;
    }
    // Opened without truncating, so that nothing was changed before the check: cut it now.
    FILE_END_OF_FILE_INFO end = {};
    if (!SetFileInformationByHandle(below.handle.get(), FileEndOfFileInfo, &end, sizeof end)) {
        return platform::WriteResult::CannotCreate;
    }
    return writePieces(below.handle.get(), fill) ? platform::WriteResult::Written
                                                 : platform::WriteResult::ShortWrite;
}

bool Win32FileSystem::readFileBelow(const char16_t* base, const char16_t* relative,
                                    std::vector<std::uint8_t>& bytes, std::size_t limit) {
    bytes.clear();
    Below below;
    if (!locateBelow(base, relative, below) ||
        !openBelow(below, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING) ||
        (below.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        GetFileType(below.handle.get()) != FILE_TYPE_DISK) {
        return false;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(below.handle.get(), &size) || size.QuadPart < 0 ||
        std::uint64_t(size.QuadPart) > limit) {
        return false;
    }
    bytes.resize(std::size_t(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(below.handle.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        bytes.clear();
        return false;
    }
    return true;
}

}  // namespace win32
