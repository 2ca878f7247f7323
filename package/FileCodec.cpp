#include "package/FileCodec.h"

#include <memory>
#include <new>

#include <zstd.h>
#include <zstd_errors.h>

namespace {

bool refuse(const char** reason, const char* why) {
    if (reason) *reason = why;
    return false;
}

struct DecoderFree {
    void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};

// One decoder and one piece of output per thread, kept from file to file: the window zstd
// allocates grows to the largest a package needs (at most 8 MiB) once, instead of being
// allocated and touched afresh for every file.
struct Decoder {
    std::unique_ptr<ZSTD_DCtx, DecoderFree> context;
    std::unique_ptr<std::uint8_t[]> piece;

    bool ready() {
        if (!context) {
            context.reset(ZSTD_createDCtx());
            if (context) ZSTD_DCtx_setParameter(context.get(), ZSTD_d_windowLogMax, kMaxWindowLog);
        }
        if (!piece) piece.reset(new (std::nothrow) std::uint8_t[kDecodedPiece]);
        if (!context || !piece) return false;
        // Whatever the last file left half done is dropped; the window limit stays.
        ZSTD_DCtx_reset(context.get(), ZSTD_reset_session_only);
        return true;
    }
};

thread_local Decoder decoder;

const char* decodeError(std::size_t code) {
    switch (ZSTD_getErrorCode(code)) {
        case ZSTD_error_frameParameter_windowTooLarge:
            return "a compressed file asks for a window over 8 MiB";
        case ZSTD_error_memory_allocation:
            return "out of memory decoding a compressed file";
        default:
            return "a compressed file is damaged";
    }
}

}  // namespace

bool decodeFile(std::span<const std::uint8_t> frame, std::uint64_t size,
                const platform::PieceWriter& put, const char** reason) {
    if (!decoder.ready()) return refuse(reason, "out of memory decoding a compressed file");
    ZSTD_DCtx* context = decoder.context.get();
    std::uint8_t* piece = decoder.piece.get();
    std::size_t capacity = kDecodedPiece;
    ZSTD_inBuffer in{frame.data(), frame.size(), 0};
    std::uint64_t produced = 0;
    for (;;) {
        // Room for one byte more than the file has left: a frame that fills it decodes to more
        // than its size, and is stopped there, however much more it would make.
        std::uint64_t left = size - produced;
        std::size_t room = left < capacity ? std::size_t(left) + 1 : capacity;
        ZSTD_outBuffer out{piece, room, 0};
        std::size_t consumedBefore = in.pos;
        std::size_t hint = ZSTD_decompressStream(context, &out, &in);
        if (ZSTD_isError(hint)) return refuse(reason, decodeError(hint));
        if (out.pos > left)
            return refuse(reason, "a compressed file decodes to more than its size");
        if (out.pos > 0 && !put(piece, out.pos)) return false;
        produced += out.pos;
        if (hint == 0) break;  // the frame is complete and all of it handed on
        // No progress with room to write: the frame needs bytes the file does not have.
        if (out.pos == 0 && in.pos == consumedBefore) {
            return refuse(reason, "a compressed file ends before its frame does");
        }
    }
    if (in.pos != in.size) return refuse(reason, "bytes follow a compressed file's frame");
    if (produced != size) return refuse(reason, "a compressed file decodes to less than its size");
    return true;
}
