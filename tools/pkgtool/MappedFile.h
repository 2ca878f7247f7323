// A file's bytes mapped read-only into memory, as setup.exe has its own resource: the package
// loader reads the files' bytes where they lie. Pages are read in as they are touched and can
// be let go again once written elsewhere, so going through a file of any size holds little of
// it in memory at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "package/ByteSink.h"

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps the whole of a regular file (following links, as reading it would); an empty file
    // maps as no bytes. False for anything else: a missing file, a folder, a pipe or device
    // (never waited on), a file too large for the address space.
    bool map(const std::u16string& path);

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    // Lets the pages of [at, at + count) go (they are read in again if touched).
    void release(const std::uint8_t* at, std::size_t count) const;
    // Appends [at, at + count) to the sink a piece at a time, letting each piece go once
    // written; false when the sink fails.
    bool appendTo(ByteSink& sink, const std::uint8_t* at, std::size_t count) const;

private:
    void unmap();

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
#ifdef _WIN32
    void* section_ = nullptr;
#endif
};
