#include "platform/PictureFormat.h"

#include <cstring>

PictureFormat pictureFormatOf(const std::uint8_t* bytes, std::size_t size) {
    static const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!bytes) return PictureFormat::Unknown;
    if (size >= sizeof png && std::memcmp(bytes, png, sizeof png) == 0) return PictureFormat::Png;
    // A bitmap file header alone is 14 bytes.
    if (size >= 14 && bytes[0] == 'B' && bytes[1] == 'M') return PictureFormat::Bmp;
    return PictureFormat::Unknown;
}

bool pictureSizeOf(const std::uint8_t* bytes, std::size_t size, std::uint32_t& width,
                   std::uint32_t& height) {
    auto little = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = v << 8 | bytes[at + std::size_t(i)];
        return v;
    };
    auto big = [&](std::size_t at) {
        return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
               std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
    };
    switch (pictureFormatOf(bytes, size)) {
        case PictureFormat::Png:
            if (size < 24 || std::memcmp(bytes + 12, "IHDR", 4) != 0) return false;
            width = big(16);
            height = big(20);
            return true;
        case PictureFormat::Bmp: {
            if (size < 18) return false;
            std::uint32_t header = little(14, 4);
            if (header == 12 && size >= 26) {  // BITMAPCOREHEADER: 16-bit sizes
                width = little(18, 2);
                height = little(20, 2);
                return true;
            }
            if (header < 40 || size < 26) return false;
            std::int32_t w = std::int32_t(little(18, 4));
            std::int32_t h = std::int32_t(little(22, 4));
            width = w < 0 ? 0u - std::uint32_t(w) : std::uint32_t(w);
            height = h < 0 ? 0u - std::uint32_t(h) : std::uint32_t(h);
            return true;
        }
        default:
            return false;
    }
}
