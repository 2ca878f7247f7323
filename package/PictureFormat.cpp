#include "package/PictureFormat.h"

#include <cstring>

PictureFormat pictureFormatOf(const std::uint8_t* bytes, std::size_t size) {
    static const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!bytes) return PictureFormat::Unknown;
    if (size >= sizeof png && std::memcmp(bytes, png, sizeof png) == 0) return PictureFormat::Png;
    // A bitmap file header alone is 14 bytes.
    if (size >= 14 && bytes[0] == 'B' && bytes[1] == 'M') return PictureFormat::Bmp;
    return PictureFormat::Unknown;
}
