#include "package/IconResource.h"

#include <algorithm>
#include <set>

#include "package/PeImage.h"

namespace pe {

namespace {

constexpr std::size_t kDirectoryHeader = 6;  // reserved, type (1: icon), count
constexpr std::size_t kFileEntry = 16;
constexpr std::size_t kGroupEntry = 14;
constexpr std::uint16_t kIconKind = 1;
constexpr std::uint32_t kBitmapHeaderSize = 40;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool refuse(std::string& reason, std::string why) {
    reason = std::move(why);
    return false;
}

// Directory header and entry count, checked against the data's size.
bool readDirectory(std::span<const std::uint8_t> data, std::size_t entrySize, std::size_t& count,
                   std::string& reason) {
    if (data.size() < kDirectoryHeader || getU16(data, 0) != 0 || getU16(data, 2) != kIconKind) {
        return refuse(reason, "not an icon (no icon directory at its start)");
    }
    count = getU16(data, 4);
    if (count == 0) return refuse(reason, "the icon holds no image");
    if (count > kMaxIconImages) {
        return refuse(reason,
                      "the icon holds more than " + std::to_string(kMaxIconImages) + " images");
    }
    if (kDirectoryHeader + count * entrySize > data.size()) {
        return refuse(reason, "the icon directory runs past the end of its data");
    }
    return true;
}

IconImage entryAt(std::span<const std::uint8_t> data, std::size_t at) {
    IconImage image;
    image.width = data[at] ? data[at] : 256;
    image.height = data[at + 1] ? data[at + 1] : 256;
    image.colorCount = data[at + 2];
    image.planes = getU16(data, at + 4);
    image.bitCount = getU16(data, at + 6);
    image.size = getU32(data, at + 8);
    return image;
}

bool isImageData(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= sizeof kPngSignature &&
        std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin())) {
        return true;
    }
    return bytes.size() >= kBitmapHeaderSize && getU32(bytes, 0) == kBitmapHeaderSize;
}

std::uint8_t directoryByte(std::uint16_t pixels) {
    return pixels >= 256 ? 0 : std::uint8_t(pixels);
}

std::vector<std::uint8_t> groupData(const std::vector<IconImage>& images) {
    std::vector<std::uint8_t> out;
    appendU16(out, 0);
    appendU16(out, kIconKind);
    appendU16(out, std::uint16_t(images.size()));
    for (const IconImage& image : images) {
        out.push_back(directoryByte(image.width));
        out.push_back(directoryByte(image.height));
        out.push_back(image.colorCount);
        out.push_back(0);
        appendU16(out, image.planes);
        appendU16(out, image.bitCount);
        appendU32(out, std::uint32_t(image.data.size()));
        appendU16(out, image.id);
    }
    return out;
}

bool isGroup(const Resource& r, const ResourceId& name) {
    return sameId(r.type, ResourceId::of(kGroupIconType)) && sameId(r.name, name);
}

// The RT_ICON ids the groups other than `name` use, and those `name` uses alone.
bool iconIds(const std::vector<Resource>& resources, const ResourceId& name,
             std::set<std::uint16_t>& others, std::set<std::uint16_t>& own, std::string& reason) {
    for (const Resource& r : resources) {
        if (!sameId(r.type, ResourceId::of(kGroupIconType))) continue;
        std::vector<IconImage> entries;
        bool mine = sameId(r.name, name);
        if (!readIconGroup(r.data, entries, reason)) {
            // Another group's damage is not ours to mend, but its ids stay reserved as far as
            // they can be read; the group replaced must be readable, or its images would stay.
            if (mine) return refuse(reason, "icon group " + describeId(name) + ": " + reason);
            continue;
        }
        for (const IconImage& e : entries) (mine ? own : others).insert(e.id);
    }
    for (std::uint16_t id : others) own.erase(id);
    return true;
}

}  // namespace

bool readIconFile(std::span<const std::uint8_t> file, std::vector<IconImage>& images,
                  std::string& reason) {
    images.clear();
    std::size_t count = 0;
    if (!readDirectory(file, kFileEntry, count, reason)) return false;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t at = kDirectoryHeader + i * kFileEntry;
        IconImage image = entryAt(file, at);
        std::uint32_t offset = getU32(file, at + 12);
        std::string which = "image " + std::to_string(i + 1) + " of the icon";
        if (image.size == 0 || offset > file.size() || image.size > file.size() - offset) {
            images.clear();
            return refuse(reason, which + " lies outside the file");
        }
        auto bytes = file.subspan(offset, image.size);
        if (!isImageData(bytes)) {
            images.clear();
            return refuse(reason, which + " is neither a PNG nor a bitmap");
        }
        image.data.assign(bytes.begin(), bytes.end());
        images.push_back(std::move(image));
    }
    return true;
}

bool readIconGroup(std::span<const std::uint8_t> data, std::vector<IconImage>& entries,
                   std::string& reason) {
    entries.clear();
    std::size_t count = 0;
    if (!readDirectory(data, kGroupEntry, count, reason)) return false;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t at = kDirectoryHeader + i * kGroupEntry;
        IconImage entry = entryAt(data, at);
        entry.id = getU16(data, at + 12);
        entries.push_back(std::move(entry));
    }
    return true;
}

bool setIcon(std::vector<Resource>& resources, const ResourceId& name,
             const std::vector<IconImage>& images, std::string& reason) {
    if (images.empty() || images.size() > kMaxIconImages) {
        return refuse(reason, "an icon holds 1 to " + std::to_string(kMaxIconImages) + " images");
    }
    std::set<std::uint16_t> others, own;
    if (!iconIds(resources, name, others, own, reason)) return false;
    // Ids still held by an icon resource another group names, or none does, are not reused.
    for (const Resource& r : resources) {
        if (sameId(r.type, ResourceId::of(kIconType)) && !r.name.named &&
            !own.count(r.name.number)) {
            others.insert(r.name.number);
        }
    }
    std::vector<IconImage> placed = images;
    std::uint32_t next = 1;
    for (IconImage& image : placed) {
        while (next <= 0xFFFF && others.count(std::uint16_t(next))) ++next;
        if (next > 0xFFFF) return refuse(reason, "no icon id is left for the icon's images");
        image.id = std::uint16_t(next++);
    }
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    auto group = std::find_if(resources.begin(), resources.end(),
                              [&](const Resource& r) { return isGroup(r, name); });
    if (group != resources.end()) {
        language = group->language;
        codePage = group->codePage;
    }
    std::erase_if(resources, [&](const Resource& r) {
        return isGroup(r, name) || (sameId(r.type, ResourceId::of(kIconType)) && !r.name.named &&
                                    own.count(r.name.number) != 0);
    });
    for (const IconImage& image : placed) {
        resources.push_back(
            {ResourceId::of(kIconType), ResourceId::of(image.id), language, codePage, image.data});
    }
    resources.push_back(
        {ResourceId::of(kGroupIconType), name, language, codePage, groupData(placed)});
    return true;
}

std::vector<std::uint8_t> iconFileOf(const std::vector<IconImage>& images) {
    std::vector<std::uint8_t> out;
    auto put16 = [&out](std::uint32_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    auto put32 = [&put16](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    put16(0);
    put16(1);
    put16(std::uint32_t(images.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const IconImage& image : images) {
        out.push_back(std::uint8_t(image.width >= 256 ? 0 : image.width));
        out.push_back(std::uint8_t(image.height >= 256 ? 0 : image.height));
        out.push_back(image.colorCount);
        out.push_back(0);
        put16(image.planes);
        put16(image.bitCount);
        put32(std::uint32_t(image.data.size()));
        put32(offset);
        offset += std::uint32_t(image.data.size());
    }
    for (const IconImage& image : images)
        out.insert(out.end(), image.data.begin(), image.data.end());
    return out;
}

}  // namespace pe
