// An icon as resources: the images of an .ico file become RT_ICON resources and its directory
// an RT_GROUP_ICON that names them, the way a resource compiler stores them. Both the .ico and
// a group read back from an executable are untrusted: every entry is checked against the data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "package/ResourceTree.h"

namespace pe {

constexpr std::uint16_t kIconType = 3;        // RT_ICON
constexpr std::uint16_t kGroupIconType = 14;  // RT_GROUP_ICON

struct IconImage {
    std::uint16_t width = 0, height = 0;  // in pixels: 256 where the directory says 0
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0, bitCount = 0;
    std::uint32_t size = 0;          // of the image data
    std::uint16_t id = 0;            // its RT_ICON resource (a group's entries only)
    std::vector<std::uint8_t> data;  // an .ico's images only
};

// Most images an icon may hold: enough for every size and depth Windows asks for.
constexpr std::size_t kMaxIconImages = 32;

// The images of an .ico file. Refuses (false, `reason` set) a file that is not an icon
// directory, holds no image or more than kMaxIconImages, or whose entries name bytes outside
// the file or data that is neither a PNG nor a bitmap header.
bool readIconFile(std::span<const std::uint8_t> file, std::vector<IconImage>& images,
                  std::string& reason);

// The entries of an RT_GROUP_ICON resource (sizes and the RT_ICON ids they name).
bool readIconGroup(std::span<const std::uint8_t> data, std::vector<IconImage>& entries,
                   std::string& reason);

// An .ico file of `images` (each with its data), in their order: the directory, then the
// images. What readIconFile reads back.
std::vector<std::uint8_t> iconFileOf(const std::vector<IconImage>& images);

// Puts `images` in place of the icon group `name`: the RT_ICON resources only that group named
// are removed, the images get the lowest RT_ICON ids no other group uses, and the group and its
// images take the old group's language and code page (neutral for a new group). Refuses an
// existing group it cannot read.
bool setIcon(std::vector<Resource>& resources, const ResourceId& name,
             const std::vector<IconImage>& images, std::string& reason);

}  // namespace pe
