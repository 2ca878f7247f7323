// The resource tree of a PE image (type, then name, then language, then the data) read into a
// flat list, and a list written back as the bytes of a resource section.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "package/ByteSink.h"
#include "package/PeImage.h"

namespace pe {

// A resource type or name: a 16-bit number, or a UTF-16 string.
struct ResourceId {
    bool named = false;
    std::uint16_t number = 0;
    std::u16string name;

    static ResourceId of(std::uint16_t n) { return ResourceId{false, n, {}}; }
    static ResourceId of(std::u16string s) { return ResourceId{true, 0, std::move(s)}; }
};

// The loader finds names without regard to ASCII letter case; so does this.
bool sameId(const ResourceId& a, const ResourceId& b);
// The order of a directory table: names first, by their upper-cased units, then numbers.
bool idLess(const ResourceId& a, const ResourceId& b);
// "RES_DATA" or "199", for messages.
std::string describeId(const ResourceId& id);

struct Resource {
    ResourceId type;
    ResourceId name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    std::vector<std::uint8_t> data;
    // Or data that is not in memory (an installer package of any size): `externalSize` bytes
    // that `external` appends to the sink when the image is written; false when it cannot.
    std::uint64_t externalSize = 0;
    std::function<bool(ByteSink&)> external;
    // Where a resource read from an image lies in it: its data, copied or not.
    std::span<const std::uint8_t> inFile;

    std::uint64_t dataSize() const { return external ? externalSize : data.size(); }
};

// A resource section as it is written: the tables, names and every resource's data held in
// memory, then the data of the external resources, each 8-byte aligned, up to `size`.
struct ResourceSection {
    std::vector<std::uint8_t> bytes;
    std::vector<const Resource*> external;
    std::uint64_t size = 0;
};

// Reads every resource below the image's resource directory, in the order of the tree. The
// tree must be exactly three levels deep; every table, name and data entry must lie inside the
// resource section and every resource's data inside one section of the file; no table may be
// reached twice, and what is copied (each resource's data, its type's and its own name, and its
// record) may not add up to more than the file: shared data and names would otherwise
// multiply. An image without resources gives an empty list.
// Without `copyData` the data is only located (`inFile`), not copied, and does not count
// against the file's size: for reading a few small resources of an image of any size.
bool readResourceTree(std::span<const std::uint8_t> file, const Layout& layout,
                      std::vector<Resource>& resources, std::string& reason, bool copyData = true);

// The resource section for `resources` when it is placed at `sectionRva`: every directory
// table, then the data entries, the names and the data, each resource's data 8-byte aligned.
// Refuses two resources with the same type, name and language.
bool buildResourceSection(const std::vector<Resource>& resources, std::uint32_t sectionRva,
                          std::vector<std::uint8_t>& section, std::string& reason);
// The same with external resources, whose data follows everything held in memory.
bool buildResourceSection(const std::vector<Resource>& resources, std::uint32_t sectionRva,
                          ResourceSection& section, std::string& reason);

}  // namespace pe
