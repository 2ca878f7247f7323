#include "package/StringResource.h"

#include <array>

namespace pe {

namespace {

constexpr std::size_t kStringsPerBlock = 16;

using Block = std::array<std::u16string, kStringsPerBlock>;

bool refuse(std::string& reason, std::string why) {
    reason = std::move(why);
    return false;
}

ResourceId blockOf(std::uint16_t id) {
    return ResourceId::of(std::uint16_t(id / kStringsPerBlock + 1));
}

bool isBlock(const Resource& r, std::uint16_t id) {
    return sameId(r.type, ResourceId::of(kStringType)) && sameId(r.name, blockOf(id));
}

// The sixteen strings; a block may stop early (the rest are empty) but never mid-string.
bool readBlock(const std::vector<std::uint8_t>& data, Block& block) {
    std::size_t at = 0;
    for (std::u16string& text : block) {
        text.clear();
        if (at == data.size()) continue;
        if (data.size() - at < 2) return false;
        std::size_t length = getU16(data, at);
        at += 2;
        if (length > (data.size() - at) / 2) return false;
        for (std::size_t i = 0; i < length; ++i, at += 2)
            text.push_back(char16_t(getU16(data, at)));
    }
    return true;
}

std::vector<std::uint8_t> blockData(const Block& block) {
    std::vector<std::uint8_t> out;
    auto append = [&](std::uint16_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    for (const std::u16string& text : block) {
        append(std::uint16_t(text.size()));
        for (char16_t c : text) append(std::uint16_t(c));
    }
    return out;
}

}  // namespace

bool readString(const std::vector<Resource>& resources, std::uint16_t id, std::u16string& text) {
    text.clear();
    for (const Resource& r : resources) {
        if (!isBlock(r, id)) continue;
        Block block;
        if (!readBlock(r.data, block)) return false;
        text = block[id % kStringsPerBlock];
        return true;
    }
    return false;
}

bool setString(std::vector<Resource>& resources, std::uint16_t id, const std::u16string& text,
               std::string& reason) {
    if (text.size() > 0xFFFF) return refuse(reason, "a string is at most 65535 units long");
    std::vector<std::vector<std::uint8_t>> replaced;
    for (const Resource& r : resources) {
        if (!isBlock(r, id)) continue;
        Block block;
        if (!readBlock(r.data, block)) {
            return refuse(reason, "string table " + describeId(r.name) + " runs past its data");
        }
        block[id % kStringsPerBlock] = text;
        replaced.push_back(blockData(block));
    }
    std::size_t next = 0;
    for (Resource& r : resources) {
        if (isBlock(r, id)) r.data = std::move(replaced[next++]);
    }
    if (next == 0) {
        Block block;
        block[id % kStringsPerBlock] = text;
        resources.push_back({ResourceId::of(kStringType), blockOf(id), 0, 0, blockData(block)});
    }
    return true;
}

}  // namespace pe
