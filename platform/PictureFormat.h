// Recognising the picture files a bundle or a picture resource may hold by their signatures.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PictureFormat { Unknown, Bmp, Png };

// "BM" for a Windows bitmap file, the eight-byte PNG signature for PNG.
PictureFormat pictureFormatOf(const std::uint8_t* bytes, std::size_t size);

// Width and height from a BMP's info header (either kind) or a PNG's IHDR chunk; false when the
// header is not there whole. A bottom-up bitmap's negative height counts as its size.
bool pictureSizeOf(const std::uint8_t* bytes, std::size_t size, std::uint32_t& width,
                   std::uint32_t& height);
