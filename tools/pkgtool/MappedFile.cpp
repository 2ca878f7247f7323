#include "tools/pkgtool/MappedFile.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Wide.h"
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/PosixFileSystem.h"
#endif

MappedFile::~MappedFile() {
    unmap();
}

bool MappedFile::appendTo(ByteSink& sink, const std::uint8_t* at, std::size_t count) const {
    constexpr std::size_t kPiece = std::size_t(8) << 20;
    while (count > 0) {
        std::size_t n = count < kPiece ? count : kPiece;
        if (!sink.append({at, n})) return false;
        release(at, n);
        at += n;
        count -= n;
    }
    return true;
}

#ifdef _WIN32

bool MappedFile::map(const std::u16string& path) {
    unmap();
    // Writers stay allowed, as for a plain read; Windows refuses to shorten a mapped file, and
    // the loader checks every offset against the size mapped here.
    HANDLE file = CreateFileW(wide(path.c_str()), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
              std::uint64_t(size.QuadPart) <= SIZE_MAX;
    if (ok && size.QuadPart > 0) {
        section_ = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        void* view = section_ ? MapViewOfFile(section_, FILE_MAP_READ, 0, 0, 0) : nullptr;
        data_ = static_cast<const std::uint8_t*>(view);
        size_ = std::size_t(size.QuadPart);
        ok = view != nullptr;
    }
    CloseHandle(file);
    if (!ok) unmap();
    return ok;
}

// Pages of an unlocked view leave the working set when asked to be unlocked.
void MappedFile::release(const std::uint8_t* at, std::size_t count) const {
    if (count > 0) VirtualUnlock(const_cast<std::uint8_t*>(at), count);
}

void MappedFile::unmap() {
    if (data_) UnmapViewOfFile(data_);
    if (section_) CloseHandle(section_);
    data_ = nullptr;
    section_ = nullptr;
    size_ = 0;
}

#else

bool MappedFile::map(const std::u16string& path) {
    unmap();
    // Without O_NONBLOCK, opening a named pipe would wait for a writer that may never come.
    int fd = ::open(posix::nativePath(path.c_str()).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && st.st_size > 0) {
        void* view = ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ok = view != MAP_FAILED;
        if (ok) {
            data_ = static_cast<const std::uint8_t*>(view);
            size_ = std::size_t(st.st_size);
        }
    }
    ::close(fd);
    return ok;
}

// Only whole pages inside the range: a page shared with the bytes around it stays.
void MappedFile::release(const std::uint8_t* at, std::size_t count) const {
    std::uintptr_t page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    std::uintptr_t begin = (std::uintptr_t(at) + page - 1) & ~(page - 1);
    std::uintptr_t end = (std::uintptr_t(at) + count) & ~(page - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

void MappedFile::unmap() {
    if (data_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

#endif
