// Small PE images (PE32, or PE32+ with `magic` 0x20B) laid out the way a linker lays them out
// (headers, then each section at the next aligned file offset and RVA), for the tests of the
// resource rewriter. Section contents, data directories, a COFF symbol table and a certificate
// table are chosen by the test; the checksum is left at 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test {

constexpr std::uint32_t kPeFileAlignment = 0x200;
constexpr std::uint32_t kPeSectionAlignment = 0x1000;
constexpr std::uint32_t kPeHeadersSize = 0x400;
constexpr std::uint32_t kCode = 0x60000020;
constexpr std::uint32_t kData = 0xC0000040;
constexpr std::uint32_t kDiscardable = 0x42000040;

struct PeSpec {
    struct Section {
        std::string name;
        std::vector<std::uint8_t> data;
        std::uint32_t characteristics = kData;
        std::uint32_t virtualSize = 0;  // 0: the data's size
    };
    struct Directory {
        int index;
        int section;  // whose RVA the offset counts from
        std::uint32_t offset;
        std::uint32_t size;
    };
    std::vector<Section> sections;
    std::vector<Directory> directories;
    std::vector<std::uint8_t> symbols;      // after the sections; the file header points at it
    std::vector<std::uint8_t> certificate;  // last in the file; directory 4 names it
    std::uint16_t magic = 0x10B;            // PE32; 0x20B for PE32+
};

// The RVA section `index` gets.
std::uint32_t sectionRva(const PeSpec& spec, std::size_t index);
// Its file offset.
std::uint32_t sectionOffset(const PeSpec& spec, std::size_t index);

std::vector<std::uint8_t> buildPe(const PeSpec& spec);

// Field offsets in an image built by buildPe.
constexpr std::size_t kPeCoff = 0x84;  // "PE\0\0" at 0x80
constexpr std::size_t kPeOptional = kPeCoff + 20;
constexpr std::size_t kPeSectionTable = kPeOptional + 224;
// The same for either kind of optional header.
std::size_t peDirectories(const PeSpec& spec);
std::size_t peSectionTable(const PeSpec& spec);

}  // namespace test
