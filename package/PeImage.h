// The headers of a PE executable (PE32 or PE32+) as the resource rewriter needs them: where each
// field lies in the file, the section table and the data directories. Reading never leaves the
// input: every offset and size is checked before use, and an image the rewriter could not handle
// safely is refused with the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pe {

// Indexes of the data directories the rewriter looks at.
constexpr std::size_t kCertificateDirectory = 4;  // a file offset, not an RVA
constexpr std::size_t kResourceDirectory = 2;
constexpr std::size_t kRelocationDirectory = 5;
constexpr std::size_t kDebugDirectory = 6;

constexpr std::uint32_t kSectionInitializedData = 0x00000040;
constexpr std::uint32_t kSectionDiscardable = 0x02000000;

constexpr std::size_t kSectionHeaderSize = 40;

struct Section {
    std::string name;  // the eight name bytes up to the first NUL ("/4" for a long name)
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
    std::uint32_t characteristics = 0;
    std::size_t headerOffset = 0;  // of its 40-byte header in the file
};

struct Directory {
    std::uint32_t address = 0;  // an RVA, except for the certificate table (a file offset)
    std::uint32_t size = 0;
};

struct Layout {
    std::size_t coffOffset = 0;      // the file header, right after "PE\0\0"
    std::size_t optionalOffset = 0;  // the optional header
    std::uint32_t fileAlignment = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t sizeOfHeaders = 0;
    std::uint32_t symbolTable = 0;       // PointerToSymbolTable, 0 for none
    std::uint32_t symbolCount = 0;       // NumberOfSymbols (18 bytes each, then the strings)
    std::size_t directoriesField = 0;    // of the data directories, relative to optionalOffset
    std::vector<Directory> directories;  // NumberOfRvaAndSizes of them, at most 16
    std::vector<Section> sections;       // in the order of the section table
};

// File offsets of the fields the rewriter changes, relative to Layout::optionalOffset; the
// same in both kinds of optional header.
constexpr std::size_t kSizeOfInitializedDataField = 8;
constexpr std::size_t kSizeOfImageField = 56;
constexpr std::size_t kCheckSumField = 64;
// The 64-bit image base and stack and heap sizes push the directory count and the data
// directories 16 bytes further in a PE32+ header.
constexpr std::size_t kDirectoryCountField32 = 92;
constexpr std::size_t kDirectoriesField32 = 96;
constexpr std::size_t kDirectoryCountField64 = 108;
constexpr std::size_t kDirectoriesField64 = 112;
// Relative to Layout::coffOffset.
constexpr std::size_t kSymbolTableField = 8;

// Reads the DOS stub pointer, the PE signature, the file header, the PE32 or PE32+ optional
// header, the data directories and the section table. Refuses (false, `reason` set) anything
// else than an image of those two kinds, headers or raw section data that run past the end of the
// file, alignments that are not powers of two, and sections whose virtual ranges are not in
// ascending order without overlap.
bool readLayout(std::span<const std::uint8_t> file, Layout& layout, std::string& reason);

// The section whose virtual range holds `rva`; null for none.
const Section* sectionAt(const Layout& layout, std::uint32_t rva);

// The file offset of the `size` bytes at `rva`, when all of them lie in one section's raw
// data inside the file.
bool fileOffsetOf(const Layout& layout, std::size_t fileSize, std::uint32_t rva, std::uint32_t size,
                  std::size_t& offset);

// The image checksum: the 16-bit one's-complement style sum of the whole file with the
// checksum field counted as zero, plus the file's length.
std::uint32_t checksumOf(std::span<const std::uint8_t> file, std::size_t checksumOffset);

// Computed in 64 bits: values read from a file may lie just below 4 GiB.
inline std::uint64_t alignUp(std::uint64_t value, std::uint32_t alignment) {
    return (value + alignment - 1) & ~std::uint64_t(alignment - 1);
}

// Little-endian access for callers that have checked the bounds.
inline std::uint16_t getU16(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint16_t(b[at] | b[at + 1] << 8);
}
inline std::uint32_t getU32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
inline void putU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}
inline void putU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
}
inline void appendU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
inline void appendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    appendU16(out, std::uint16_t(v));
    appendU16(out, std::uint16_t(v >> 16));
}

}  // namespace pe
