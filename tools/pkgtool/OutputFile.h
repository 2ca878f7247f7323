// A file written as it is made, for outputs of any size: appended to piece by piece (with a
// few bytes set afterwards), under a temporary name beside the final one until `commit`, so a
// refusal or a failure part way leaves the output as it was and no partial file behind.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "package/ByteSink.h"

class OutputFile : public ByteSink {
public:
    OutputFile() = default;
    ~OutputFile() override;  // removes the temporary file unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates (replaces) `path`.partial; false when it cannot.
    bool open(const std::u16string& path);
    bool append(std::span<const std::uint8_t> bytes) override;
    bool patch(std::uint64_t at, std::span<const std::uint8_t> bytes) override;
    std::uint64_t size() const override { return size_; }
    // The temporary file's name, to read back what was written before committing.
    const std::u16string& partialPath() const { return partial_; }
    // Closes the file and puts it in place of the output; false (and nothing in place) when
    // anything could not be written.
    bool commit();

private:
    void close();

    std::u16string path_, partial_;
    std::uint64_t size_ = 0;
    bool failed_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};
