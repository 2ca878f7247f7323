// A file's bytes mapped read-only into memory. The package loader copies every file it keeps,
// so a mapping spares the private copy a read would make of the whole package: only the
// loader's copy remains, as in setup.exe, which maps its own resource.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

private:
    void unmap();

    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
#ifdef _WIN32
    void* section_ = nullptr;
#endif
};
