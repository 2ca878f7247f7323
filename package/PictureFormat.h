// Recognising the picture files a bundle or a picture resource may hold by their signatures.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PictureFormat { Unknown, Bmp, Png };

// "BM" for a Windows bitmap file, the eight-byte PNG signature for PNG.
PictureFormat pictureFormatOf(const std::uint8_t* bytes, std::size_t size);
