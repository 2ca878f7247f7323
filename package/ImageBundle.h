// The image bundle: a counted list of picture files packed into one resource, decoded into the
// slideshow's picture table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Pictures.h"

constexpr int kPictureSlots = 10;

// The slideshow's frames and the index of the one shown.
struct PictureTable {
    std::unique_ptr<platform::Picture> slots[kPictureSlots];
    int current = 0;
};

struct BundleEntry {
    std::size_t offset = 0;  // of the picture's bytes, past its size field
    std::size_t size = 0;
};

struct BundleContents {
    std::uint32_t declared = 0;  // the count field; 0 when the bundle is too short to hold it
    std::vector<BundleEntry> entries;
};

// The pictures the bundle holds, in order, never more than the table's ten. Reading stops at a
// size of 0 and at a size field or picture that would run past the end of the bundle.
BundleContents readBundle(const std::uint8_t* bundle, std::size_t size);

// Decodes the bundle's pictures into slots 0 onwards, replacing what they held; slots it does
// not reach keep theirs. Decoding stops at the first picture that cannot be copied or streamed.
// Always reports success: what was stored before a stop remains.
bool loadImageBundle(const std::uint8_t* bundle, std::size_t size, PictureTable& table);
