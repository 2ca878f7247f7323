#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "common/Names.h"
#include "common/Text.h"

namespace posix {

namespace {

// Writes every piece and closes the file; a write that stops early, a piece the filler could
// not produce, or a failed close (where a delayed write error shows) is a short write.
platform::WriteResult writeAllAndClose(int fd, const platform::FileFiller& fill) {
    bool whole = fill([fd](const std::uint8_t* bytes, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = ::write(fd, bytes + done, size - done);
            if (n <= 0) return false;
            done += std::size_t(n);
        }
        return true;
    });
    bool closed = ::close(fd) == 0;
    return whole && closed ? platform::WriteResult::Written : platform::WriteResult::ShortWrite;
}

platform::FileFiller onePiece(const std::uint8_t* bytes, std::size_t size) {
    return
        [bytes, size](const platform::PieceWriter& put) { return size == 0 || put(bytes, size); };
}

}  // namespace

std::string nativePath(const char16_t* path) {
    // The whole path, however long: cutting it at 260 units would name another file.
    std::string p = utf16ToUtf8(std::u16string_view(path, textLength(path)));
    for (char& c : p) {
        if (c == '\\') c = '/';
    }
    return p;
}

bool PosixFileSystem::exists(const char16_t* path) {
    struct stat st;
    return ::lstat(nativePath(path).c_str(), &st) == 0;
}

bool PosixFileSystem::createFolder(const char16_t* path) {
    return ::mkdir(nativePath(path).c_str(), 0755) == 0;
}

platform::DeleteResult PosixFileSystem::removeFolder(const char16_t* path) {
    if (::rmdir(nativePath(path).c_str()) == 0) return platform::DeleteResult::Deleted;
    return errno == EBUSY ? platform::DeleteResult::InUse : platform::DeleteResult::Failed;
}

platform::DeleteResult PosixFileSystem::deleteFile(const char16_t* path) {
    struct stat st;
    std::string p = nativePath(path);
    if (::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return platform::DeleteResult::Failed;
    if (::unlink(p.c_str()) == 0) return platform::DeleteResult::Deleted;
    return errno == EBUSY || errno == ETXTBSY ? platform::DeleteResult::InUse
                                              : platform::DeleteResult::Failed;
}

bool PosixFileSystem::listFolder(const char16_t* path, std::vector<platform::DirEntry>& entries) {
    entries.clear();
    std::string p = nativePath(path);
    struct stat link;
    if (::lstat(p.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) return false;
    DIR* dir = ::opendir(p.c_str());
    if (!dir) return false;
    while (dirent* e = ::readdir(dir)) {
        struct stat st;
        std::string full = p + "/" + e->d_name;
        bool isDir = ::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({utf8ToUtf16(e->d_name), isDir});
    }
    ::closedir(dir);
    return true;
}

platform::WriteResult PosixFileSystem::writeFile(const char16_t* path, const std::uint8_t* bytes,
                                                 std::size_t size) {
    return writeFileFrom(path, onePiece(bytes, size));
}

platform::WriteResult PosixFileSystem::writeFileFrom(const char16_t* path,
                                                     const platform::FileFiller& fill) {
    int fd = ::open(nativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return platform::WriteResult::CannotCreate;
    return writeAllAndClose(fd, fill);
}

namespace {

// The whole regular file open at `fd`, at most `limit` bytes; closes it.
bool readAllAndClose(int fd, std::vector<std::uint8_t>& bytes, std::size_t limit) {
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::uint64_t(st.st_size) <= limit;
    if (ok) {
        bytes.resize(std::size_t(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += std::size_t(n);
        }
        ok = done == bytes.size();
    }
    ::close(fd);
    return ok;
}

}  // namespace

bool PosixFileSystem::readFile(const char16_t* path, std::vector<std::uint8_t>& bytes,
                               std::size_t limit) {
    int fd = ::open(nativePath(path).c_str(), O_RDONLY);
    return fd >= 0 && readAllAndClose(fd, bytes, limit);
}

bool PosixFileSystem::specialFolder(platform::SpecialFolder which, std::u16string& path) {
    // Only a simulated machine has Windows' folders. Without one, a made-up default would end
    // up in what the tool writes (a script.ini's Path) and name nothing on the real machine.
    const char* root = std::getenv("TOUCHSETUP_ROOT");
    if (!root || !*root) return false;
    std::u16string base = utf8ToUtf16(root);
    switch (which) {
        case platform::SpecialFolder::ProgramFiles:
            path = base + u"\\Program Files";
            break;
        case platform::SpecialFolder::Programs:
            path = base + u"\\Start Menu\\Programs";
            break;
        case platform::SpecialFolder::Desktop:
            path = base + u"\\Desktop";
            break;
        case platform::SpecialFolder::System:
            path = base + u"\\Windows\\System32";
            break;
        case platform::SpecialFolder::CommonDocuments:
            path = base + u"\\Public\\Documents";
            break;
        case platform::SpecialFolder::CommonPrograms:
            path = base + u"\\ProgramData\\Start Menu\\Programs";
            break;
        case platform::SpecialFolder::CommonDesktop:
            path = base + u"\\Public\\Desktop";
            break;
    }
    return true;
}

namespace {

// An open folder descriptor, closed on scope exit.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd, other.fd);
        return *this;
    }
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

std::vector<std::string> namesOf(const char16_t* relative) {
    std::vector<std::string> names;
    std::string text = utf16ToUtf8(viewOf(relative));
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\\') continue;
        names.push_back(text.substr(start, i - start));
        start = i + 1;
    }
    return names;
}

// The folder that holds the last name of `relative`, opened name by name from `base` without
// following a symbolic link; `leaf` is that last name.
bool openParentBelow(const char16_t* base, const char16_t* relative, Descriptor& parent,
                     std::string& leaf) {
    if (!isPlainRelativePath(viewOf(relative))) return false;
    parent = Descriptor(::open(nativePath(base).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.fd < 0) return false;
    std::vector<std::string> names = namesOf(relative);
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        int next =
            ::openat(parent.fd, names[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) return false;
        parent = Descriptor(next);
    }
    leaf = names.back();
    return true;
}

}  // namespace

bool PosixFileSystem::listBelow(const char16_t* base, const char16_t* relative,
                                std::vector<platform::DirEntry>& entries) {
    entries.clear();
    Descriptor parent;
    std::string leaf;
    if (!openParentBelow(base, relative, parent, leaf)) return false;
    int fd = ::openat(parent.fd, leaf.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    while (dirent* e = ::readdir(dir)) {
        struct stat st;
        bool isDir = ::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({utf8ToUtf16(e->d_name), isDir});
    }
    ::closedir(dir);
    return true;
}

platform::DeleteResult PosixFileSystem::removeBelow(const char16_t* base,
                                                    const char16_t* relative) {
    Descriptor parent;
    std::string leaf;
    struct stat st;
    if (!openParentBelow(base, relative, parent, leaf) ||
        ::fstatat(parent.fd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return platform::DeleteResult::Failed;
    }
    if (::unlinkat(parent.fd, leaf.c_str(), S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) == 0) {
        return platform::DeleteResult::Deleted;
    }
    return errno == EBUSY || errno == ETXTBSY ? platform::DeleteResult::InUse
                                              : platform::DeleteResult::Failed;
}

bool PosixFileSystem::createFolderBelow(const char16_t* base, const char16_t* relative) {
    Descriptor parent;
    std::string leaf;
    return openParentBelow(base, relative, parent, leaf) &&
           ::mkdirat(parent.fd, leaf.c_str(), 0755) == 0;
}

platform::WriteResult PosixFileSystem::writeFileBelow(const char16_t* base,
                                                      const char16_t* relative,
                                                      const std::uint8_t* bytes, std::size_t size) {
    return writeFileBelowFrom(base, relative, onePiece(bytes, size));
}

platform::WriteResult PosixFileSystem::writeFileBelowFrom(const char16_t* base,
                                                          const char16_t* relative,
                                                          const platform::FileFiller& fill) {
    Descriptor parent;
    std::string leaf;
    if (!openParentBelow(base, relative, parent, leaf)) return platform::WriteResult::CannotCreate;
    int fd = ::openat(parent.fd, leaf.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return platform::WriteResult::CannotCreate;
    // Cut only once it is known to be a file of one name: a hard link planted below the base is
    // also some other file, which the write would change.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return platform::WriteResult::CannotCreate;
    }
    return writeAllAndClose(fd, fill);
}

bool PosixFileSystem::readFileBelow(const char16_t* base, const char16_t* relative,
                                    std::vector<std::uint8_t>& bytes, std::size_t limit) {
    bytes.clear();
    Descriptor parent;
    std::string leaf;
    if (!openParentBelow(base, relative, parent, leaf)) return false;
    int fd = ::openat(parent.fd, leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    return fd >= 0 && readAllAndClose(fd, bytes, limit);
}

}  // namespace posix
