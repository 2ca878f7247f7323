// The decoder's framing: the first four bytes are a file's declared size (below 1 MiB), the
// rest its stored frame. Decoding must read nothing outside the frame, hand on at most the
// declared size in pieces of at most kDecodedPiece, and succeed only with exactly that size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "package/FileCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::uint32_t declared =
        (std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16) &
        0xFFFFF;
    // A private copy of exactly the frame, so that any over-read lands outside it.
    std::vector<std::uint8_t> frame(data + 4, data + size);
    std::uint64_t handed = 0;
    const char* reason = nullptr;
    bool whole = decodeFile(
        frame, declared,
        [&handed](const std::uint8_t*, std::size_t n) {
            if (n == 0 || n > kDecodedPiece) std::abort();
            handed += n;
            return true;
        },
        &reason);
    if (handed > declared) std::abort();
    if (whole != (handed == declared && !reason)) std::abort();
    if (!whole && !reason) std::abort();
    return 0;
}
