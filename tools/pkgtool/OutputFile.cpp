#include "tools/pkgtool/OutputFile.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Wide.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/PosixFileSystem.h"
#endif

OutputFile::~OutputFile() {
    close();
    if (!partial_.empty()) {
#ifdef _WIN32
        DeleteFileW(wide(partial_.c_str()));
#else
        ::unlink(posix::nativePath(partial_.c_str()).c_str());
#endif
    }
}

#ifdef _WIN32

bool OutputFile::open(const std::u16string& path) {
    path_ = path;
    partial_ = path + u".partial";
    // Readers allowed: `build` reads the written package back through a mapping of its own
    // before the file is committed, while this handle is still open.
    HANDLE h = CreateFileW(wide(partial_.c_str()), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        partial_.clear();
        return false;
    }
    handle_ = h;
    return true;
}

namespace {
bool writeAll(HANDLE h, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), std::size_t(1) << 24));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes = bytes.subspan(written);
    }
    return true;
}
}  // namespace

bool OutputFile::append(std::span<const std::uint8_t> bytes) {
    if (failed_ || !handle_ || !writeAll(static_cast<HANDLE>(handle_), bytes)) {
        failed_ = true;
        return false;
    }
    size_ += bytes.size();
    return true;
}

bool OutputFile::patch(std::uint64_t at, std::span<const std::uint8_t> bytes) {
    HANDLE h = static_cast<HANDLE>(handle_);
    LARGE_INTEGER to, end;
    to.QuadPart = LONGLONG(at);
    end.QuadPart = LONGLONG(size_);
    bool ok = !failed_ && h && at + bytes.size() <= size_ &&
              SetFilePointerEx(h, to, nullptr, FILE_BEGIN) && writeAll(h, bytes) &&
              SetFilePointerEx(h, end, nullptr, FILE_BEGIN);
    if (!ok) failed_ = true;
    return ok;
}

void OutputFile::close() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

bool OutputFile::commit() {
    close();
    if (failed_ || partial_.empty()) return false;
    if (!MoveFileExW(wide(partial_.c_str()), wide(path_.c_str()), MOVEFILE_REPLACE_EXISTING)) {
        return false;
    }
    partial_.clear();
    return true;
}

#else

bool OutputFile::open(const std::u16string& path) {
    path_ = path;
    partial_ = path + u".partial";
    fd_ = ::open(posix::nativePath(partial_.c_str()).c_str(),
                 O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) partial_.clear();
    return fd_ >= 0;
}

namespace {
bool writeAll(int fd, std::span<const std::uint8_t> bytes, off_t at, bool positioned) {
    while (!bytes.empty()) {
        ssize_t n = positioned ? ::pwrite(fd, bytes.data(), bytes.size(), at)
                               : ::write(fd, bytes.data(), bytes.size());
        if (n <= 0) return false;
        bytes = bytes.subspan(std::size_t(n));
        at += n;
    }
    return true;
}
}  // namespace

bool OutputFile::append(std::span<const std::uint8_t> bytes) {
    if (failed_ || fd_ < 0 || !writeAll(fd_, bytes, 0, false)) {
        failed_ = true;
        return false;
    }
    size_ += bytes.size();
    return true;
}

bool OutputFile::patch(std::uint64_t at, std::span<const std::uint8_t> bytes) {
    bool ok =
        !failed_ && fd_ >= 0 && at + bytes.size() <= size_ && writeAll(fd_, bytes, off_t(at), true);
    if (!ok) failed_ = true;
    return ok;
}

void OutputFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool OutputFile::commit() {
    close();
    if (failed_ || partial_.empty()) return false;
    if (std::rename(posix::nativePath(partial_.c_str()).c_str(),
                    posix::nativePath(path_.c_str()).c_str()) != 0) {
        return false;
    }
    partial_.clear();
    return true;
}

#endif
