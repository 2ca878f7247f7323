// Files and folders, as the package extraction and the workers need them. Paths are
// NUL-terminated UTF-16 with backslashes, as on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

struct DirEntry {
    std::u16string name;
    bool isDirectory = false;
};

// Programs and Desktop are the account's own; CommonPrograms (CSIDL_COMMON_PROGRAMS) and
// CommonDesktop (CSIDL_COMMON_DESKTOPDIRECTORY) every user's.
enum class SpecialFolder {
    ProgramFiles,
    Programs,
    Desktop,
    System,
    CommonDocuments,
    CommonPrograms,
    CommonDesktop,
};

enum class WriteResult { Written, CannotCreate, ShortWrite };

// Takes the next piece of a file being written; false when it could not be written.
using PieceWriter = std::function<bool(const std::uint8_t* bytes, std::size_t size)>;
// Produces a file's bytes in order through `put`, a piece at a time (a compressed file decoded
// as it is written, never held whole); false when they cannot all be produced or a piece was
// not taken.
using FileFiller = std::function<bool(const PieceWriter& put)>;

// InUse: the file or folder is there and could go later: a running program's image, a file
// another process holds open without sharing its deletion, a process's working folder.
enum class DeleteResult { Deleted, InUse, Failed };

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // FindFirstFileW on the path itself finds something.
    virtual bool exists(const char16_t* path) = 0;
    // One level; the parent must exist.
    virtual bool createFolder(const char16_t* path) = 0;
    // RemoveDirectoryW: InUse for a folder another process holds (its working folder, say).
    virtual DeleteResult removeFolder(const char16_t* path) = 0;
    virtual DeleteResult deleteFile(const char16_t* path) = 0;
    // Entries of a folder, "." and ".." included where the system reports them. False when the
    // folder cannot be listed, and for a link to a folder (a junction or symbolic link): the
    // elevated installer empties the shared data folder, and a link planted there must not lead
    // it to delete what lies behind it. Removing the folder then removes only the link.
    virtual bool listFolder(const char16_t* path, std::vector<DirEntry>& entries) = 0;
    // Create-or-overwrite with the bytes in one write.
    virtual WriteResult writeFile(const char16_t* path, const std::uint8_t* bytes,
                                  std::size_t size) = 0;
    // The whole file; false when it cannot be read or holds more than `limit` bytes, which is
    // found out before anything is read.
    virtual bool readFile(const char16_t* path, std::vector<std::uint8_t>& bytes,
                          std::size_t limit = SIZE_MAX) = 0;
    // SHGetSpecialFolderPathW; false when the system has no such folder.
    virtual bool specialFolder(SpecialFolder which, std::u16string& path) = 0;

    // Inside a folder that other users can write (the shared data folder, a folder pkgtool
    // extracts into): `base` is trusted and reached as the system resolves it; `relative` is
    // plain names joined by backslashes. Each operation opens the object itself, never what a
    // link leads to, checks through that handle that it is the very object at base\relative
    // (no link anywhere below `base`), and acts through the same handle, so a link swapped in
    // between a check and an act is never followed. False for anything not plain, and when a
    // link stands on the way.
    virtual bool listBelow(const char16_t* base, const char16_t* relative,
                           std::vector<DirEntry>& entries) = 0;
    // Removes a file, an empty folder, or a link at the end (only the link goes). InUse as for
    // deleteFile and removeFolder; a link on the way is Failed.
    virtual DeleteResult removeBelow(const char16_t* base, const char16_t* relative) = 0;
    // One folder level.
    virtual bool createFolderBelow(const char16_t* base, const char16_t* relative) = 0;
    // Create-or-overwrite a file in one write: never through a link at its name, nor into a
    // file that has other names (a hard link: writing it would change another file).
    virtual WriteResult writeFileBelow(const char16_t* base, const char16_t* relative,
                                       const std::uint8_t* bytes, std::size_t size) = 0;
    // The whole file at base\relative, never through a link: false for a link, a folder, a
    // device, a file holding more than `limit` bytes (found out before anything is read), or
    // anything not plain below `base`.
    virtual bool readFileBelow(const char16_t* base, const char16_t* relative,
                               std::vector<std::uint8_t>& bytes, std::size_t limit) = 0;

    // writeFile and writeFileBelow with the bytes coming from `fill`: ShortWrite when `fill`
    // fails part way (what it produced until then stays in the file, for the caller to remove).
    // The systems' own layers write each piece as it comes; this fallback, for layers that keep
    // files in memory anyway, gathers the pieces and writes them in one go.
    virtual WriteResult writeFileFrom(const char16_t* path, const FileFiller& fill) {
        std::vector<std::uint8_t> bytes;
        bool whole = gather(fill, bytes);
        WriteResult result = writeFile(path, bytes.data(), bytes.size());
        return result == WriteResult::Written && !whole ? WriteResult::ShortWrite : result;
    }
    virtual WriteResult writeFileBelowFrom(const char16_t* base, const char16_t* relative,
                                           const FileFiller& fill) {
        std::vector<std::uint8_t> bytes;
        bool whole = gather(fill, bytes);
        WriteResult result = writeFileBelow(base, relative, bytes.data(), bytes.size());
        return result == WriteResult::Written && !whole ? WriteResult::ShortWrite : result;
    }

private:
    static bool gather(const FileFiller& fill, std::vector<std::uint8_t>& bytes) {
        return fill([&bytes](const std::uint8_t* piece, std::size_t size) {
            bytes.insert(bytes.end(), piece, piece + size);
            return true;
        });
    }
};

inline FileSystem& files() {
    return *os().files;
}

}  // namespace platform
