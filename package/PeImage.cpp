#include "package/PeImage.h"

namespace pe {

namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNewHeaderPointer = 0x3C;
constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe64Magic = 0x20B;
constexpr std::size_t kMaxDirectories = 16;
constexpr std::size_t kMaxSections = 96;

bool refuse(std::string& reason, const char* why) {
    reason = why;
    return false;
}

bool isPowerOfTwo(std::uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// Offset + size inside the file, computed without overflow.
bool fits(std::size_t fileSize, std::uint64_t offset, std::uint64_t size) {
    return offset <= fileSize && size <= fileSize - offset;
}

bool readHeaders(std::span<const std::uint8_t> file, Layout& layout, std::uint16_t& sectionCount,
                 std::string& reason) {
    if (file.size() < kDosHeaderSize || file[0] != 'M' || file[1] != 'Z') {
        return refuse(reason, "not an executable (no MZ header)");
    }
    std::uint32_t peOffset = getU32(file, kNewHeaderPointer);
    if (!fits(file.size(), peOffset, 4 + kCoffHeaderSize) || file[peOffset] != 'P' ||
        file[peOffset + 1] != 'E' || file[peOffset + 2] != 0 || file[peOffset + 3] != 0) {
        return refuse(reason, "not a PE executable (no PE signature)");
    }
    layout.coffOffset = peOffset + 4;
    sectionCount = getU16(file, layout.coffOffset + 2);
    layout.symbolTable = getU32(file, layout.coffOffset + kSymbolTableField);
    layout.symbolCount = getU32(file, layout.coffOffset + kSymbolTableField + 4);
    std::uint16_t optionalSize = getU16(file, layout.coffOffset + 16);
    layout.optionalOffset = layout.coffOffset + kCoffHeaderSize;
    // The magic is read only once the short PE32 header is known to be there; a PE32+ one is
    // checked against its own, longer, size before anything past it is read.
    if (optionalSize < kDirectoriesField32 ||
        !fits(file.size(), layout.optionalOffset, optionalSize)) {
        return refuse(reason, "the optional header is missing or runs past the end of the file");
    }
    std::uint16_t magic = getU16(file, layout.optionalOffset);
    if (magic != kPe32Magic && magic != kPe64Magic) {
        return refuse(reason, "not a PE32 or PE32+ executable");
    }
    bool wide = magic == kPe64Magic;
    layout.directoriesField = wide ? kDirectoriesField64 : kDirectoriesField32;
    if (optionalSize < layout.directoriesField) {
        return refuse(reason, "the optional header is missing or runs past the end of the file");
    }
    layout.sectionAlignment = getU32(file, layout.optionalOffset + 32);
    layout.fileAlignment = getU32(file, layout.optionalOffset + 36);
    layout.sizeOfHeaders = getU32(file, layout.optionalOffset + 60);
    if (!isPowerOfTwo(layout.fileAlignment) || !isPowerOfTwo(layout.sectionAlignment) ||
        layout.fileAlignment > 0x10000 || layout.sectionAlignment < layout.fileAlignment) {
        return refuse(reason, "the section or file alignment is not a usable power of two");
    }
    std::size_t countField = wide ? kDirectoryCountField64 : kDirectoryCountField32;
    std::uint32_t directoryCount = getU32(file, layout.optionalOffset + countField);
    if (directoryCount > kMaxDirectories ||
        layout.directoriesField + 8 * std::size_t(directoryCount) > optionalSize) {
        return refuse(reason, "the data directories do not fit the optional header");
    }
    for (std::uint32_t i = 0; i < directoryCount; ++i) {
        std::size_t at = layout.optionalOffset + layout.directoriesField + 8 * i;
        layout.directories.push_back({getU32(file, at), getU32(file, at + 4)});
    }
    layout.sections.clear();
    return true;
}

bool readSections(std::span<const std::uint8_t> file, Layout& layout, std::uint16_t count,
                  std::string& reason) {
    std::uint16_t optionalSize = getU16(file, layout.coffOffset + 16);
    std::size_t table = layout.optionalOffset + optionalSize;
    if (count == 0 || count > kMaxSections ||
        !fits(file.size(), table, std::uint64_t(count) * kSectionHeaderSize) ||
        table + std::size_t(count) * kSectionHeaderSize > layout.sizeOfHeaders) {
        return refuse(reason, "the section table is empty, too long or outside the headers");
    }
    std::uint64_t nextFree = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        std::size_t at = table + std::size_t(i) * kSectionHeaderSize;
        Section s;
        for (std::size_t n = 0; n < 8 && file[at + n] != 0; ++n)
            s.name.push_back(char(file[at + n]));
        s.virtualSize = getU32(file, at + 8);
        s.virtualAddress = getU32(file, at + 12);
        s.rawSize = getU32(file, at + 16);
        s.rawOffset = getU32(file, at + 20);
        s.characteristics = getU32(file, at + 36);
        s.headerOffset = at;
        if (s.rawSize != 0 && !fits(file.size(), s.rawOffset, s.rawSize)) {
            return refuse(reason, "a section's data runs past the end of the file");
        }
        std::uint64_t extent = s.virtualSize ? s.virtualSize : s.rawSize;
        if (s.virtualAddress < nextFree || s.virtualAddress % layout.sectionAlignment != 0) {
            return refuse(reason, "the sections are not in ascending, aligned, separate order");
        }
        nextFree = alignUp(std::uint64_t(s.virtualAddress) + extent, layout.sectionAlignment);
        if (nextFree > 0xFFFFFFFFu) return refuse(reason, "a section ends beyond 4 GiB");
        layout.sections.push_back(std::move(s));
    }
    return true;
}

}  // namespace

bool readLayout(std::span<const std::uint8_t> file, Layout& layout, std::string& reason) {
    layout = Layout{};
    std::uint16_t count = 0;
    return readHeaders(file, layout, count, reason) && readSections(file, layout, count, reason);
}

const Section* sectionAt(const Layout& layout, std::uint32_t rva) {
    for (const Section& s : layout.sections) {
        std::uint64_t extent = s.virtualSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) return &s;
    }
    return nullptr;
}

bool fileOffsetOf(const Layout& layout, std::size_t fileSize, std::uint32_t rva, std::uint32_t size,
                  std::size_t& offset) {
    const Section* s = sectionAt(layout, rva);
    if (!s) return false;
    std::uint64_t inSection = rva - s->virtualAddress;
    if (inSection + size > s->rawSize) return false;  // bytes the file does not hold
    std::uint64_t at = std::uint64_t(s->rawOffset) + inSection;
    if (at + size > fileSize) return false;
    offset = std::size_t(at);
    return true;
}

std::uint32_t checksumOf(std::span<const std::uint8_t> file, std::size_t checksumOffset) {
    auto byteAt = [&](std::size_t i) -> std::uint32_t {
        if (i >= file.size() || (i >= checksumOffset && i - checksumOffset < 4)) return 0;
        return file[i];
    };
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        sum += byteAt(i) | byteAt(i + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return std::uint32_t(sum) + std::uint32_t(file.size());
}

}  // namespace pe
