#include "package/ImageBundle.h"

#include "common/Text.h"

BundleContents readBundle(const std::uint8_t* bundle, std::size_t size) {
    BundleContents contents;
    if (!bundle || size < 4) return contents;
    contents.declared = readU32(bundle);
    std::size_t at = 4;
    while (contents.entries.size() < contents.declared &&
           contents.entries.size() < std::size_t(kPictureSlots)) {
        if (size - at < 4) break;
        std::size_t pictureSize = readU32(bundle + at);
        at += 4;
        if (pictureSize == 0 || pictureSize > size - at) break;
        contents.entries.push_back({at, pictureSize});
        at += pictureSize;
    }
    return contents;
}

bool loadImageBundle(const std::uint8_t* bundle, std::size_t size, PictureTable& table) {
    BundleContents contents = readBundle(bundle, size);
    int slot = 0;
    for (const BundleEntry& entry : contents.entries) {
        auto picture = platform::pictures().decode(bundle + entry.offset, entry.size);
        if (!picture) break;
        table.slots[slot++] = std::move(picture);
    }
    return true;
}
