// Compressing a package's files (package/FileCodec.h), one frame per file, as the package is
// written: the file's bytes come in pieces and its frame goes out in pieces, so no file is ever
// held whole. Each file gets the strongest level (19) unless its first mebibyte shows it to be
// incompressible already (pictures, firmware, compressed help): then a fast level, which stores
// such data as it is in a fraction of the time. The same bytes give the same frame every time.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "package/ByteSink.h"

class FileEncoder {
public:
    FileEncoder();
    ~FileEncoder();
    FileEncoder(const FileEncoder&) = delete;
    FileEncoder& operator=(const FileEncoder&) = delete;

    // Starts a file of `size` bytes (at least one) whose frame is appended to `out`.
    void begin(ByteSink& out, std::uint64_t size);
    // Where the file's bytes go, in order; its size() counts the bytes taken so far.
    ByteSink& input();
    // Ends the frame. False, with the reason, when memory ran out, `out` failed, or the bytes
    // taken were not the size begun with.
    bool end(std::string& failure);

private:
    struct State;
    std::unique_ptr<State> state_;
};
