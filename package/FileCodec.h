// The files of a compressed package. Each file is compressed on its own, so that any one of
// them can be written without decoding the others. A non-empty file's stored bytes are
//
//   size  field
//   4     the file's own size, little-endian
//   rest  exactly one zstd frame that decodes to exactly that many bytes, with a window of at
//         most 8 MiB (kMaxWindowLog)
//
// An empty file stores no bytes at all. The decoder holds at most the window and one piece of
// output, whatever the file's size, and keeps both for the next file of the same thread: a
// frame that asks for a larger window is refused, never allocated for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/FileSystem.h"

constexpr std::size_t kCompressedFileHeader = 4;
constexpr int kMaxWindowLog = 23;
// The decoded bytes go to their writer in pieces of at most this size.
constexpr std::size_t kDecodedPiece = std::size_t(1) << 20;

// Decodes one file's frame (its stored bytes after the size) into `put`, a piece at a time.
// False, with the reason, when the frame is damaged, is not exactly one frame filling
// `frame`, would decode to more or fewer than `size` bytes (it stops at the first byte too
// many), asks for a larger window, or when memory runs out; false without a reason when `put`
// refuses a piece.
bool decodeFile(std::span<const std::uint8_t> frame, std::uint64_t size,
                const platform::PieceWriter& put, const char** reason = nullptr);
