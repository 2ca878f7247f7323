#include "tests/support/PeBuilder.h"

#include <algorithm>

namespace test {

namespace {

std::uint32_t alignTo(std::uint64_t v, std::uint32_t a) {
    return std::uint32_t((v + a - 1) / a * a);
}

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

std::uint32_t extent(const PeSpec::Section& s) {
    return s.virtualSize ? s.virtualSize : std::uint32_t(std::max<std::size_t>(s.data.size(), 1));
}

bool wide(const PeSpec& spec) {
    return spec.magic == 0x20B;
}

}  // namespace

std::size_t peDirectories(const PeSpec& spec) {
    return kPeOptional + (wide(spec) ? 112 : 96);
}

std::size_t peSectionTable(const PeSpec& spec) {
    return peDirectories(spec) + 8 * 16;
}

std::uint32_t sectionRva(const PeSpec& spec, std::size_t index) {
    std::uint32_t rva = kPeSectionAlignment;
    for (std::size_t i = 0; i < index; ++i)
        rva += alignTo(extent(spec.sections[i]), kPeSectionAlignment);
    return rva;
}

std::uint32_t sectionOffset(const PeSpec& spec, std::size_t index) {
    std::uint32_t at = kPeHeadersSize;
    for (std::size_t i = 0; i < index; ++i)
        at += alignTo(spec.sections[i].data.size(), kPeFileAlignment);
    return at;
}

std::vector<std::uint8_t> buildPe(const PeSpec& spec) {
    std::size_t count = spec.sections.size();
    std::vector<std::uint8_t> b(sectionOffset(spec, count), 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, 0x80);
    b[0x80] = 'P';
    b[0x81] = 'E';
    put16(b, kPeCoff, wide(spec) ? 0x8664 : 0x14C);  // x86-64 or i386
    put16(b, kPeCoff + 2, std::uint32_t(count));
    put32(b, kPeCoff + 4, 0x5E0F0000);  // a fixed time stamp
    put16(b, kPeCoff + 16, std::uint32_t(peSectionTable(spec) - kPeOptional));
    put16(b, kPeCoff + 18, 0x0102);
    std::size_t o = kPeOptional;
    put16(b, o, spec.magic);
    put32(b, o + 16, sectionRva(spec, 0));           // entry point
    put32(b, o + (wide(spec) ? 24 : 28), 0x400000);  // the image base
    put32(b, o + 32, kPeSectionAlignment);
    put32(b, o + 36, kPeFileAlignment);
    put16(b, o + 48, 6);
    put32(b, o + 56, sectionRva(spec, count));
    put32(b, o + 60, kPeHeadersSize);
    put16(b, o + 68, 2);
    std::size_t dirs = peDirectories(spec);
    put32(b, dirs - 4, 16);
    for (const auto& d : spec.directories) {
        put32(b, dirs + 8 * std::size_t(d.index),
              sectionRva(spec, std::size_t(d.section)) + d.offset);
        put32(b, dirs + 4 + 8 * std::size_t(d.index), d.size);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto& s = spec.sections[i];
        std::size_t h = peSectionTable(spec) + 40 * i;
        std::copy(s.name.begin(),
                  s.name.begin() + std::ptrdiff_t(std::min<std::size_t>(8, s.name.size())),
                  b.begin() + std::ptrdiff_t(h));
        put32(b, h + 8, extent(s));
        put32(b, h + 12, sectionRva(spec, i));
        put32(b, h + 16, alignTo(s.data.size(), kPeFileAlignment));
        put32(b, h + 20, s.data.empty() ? 0 : sectionOffset(spec, i));
        put32(b, h + 36, s.characteristics);
        std::copy(s.data.begin(), s.data.end(), b.begin() + std::ptrdiff_t(sectionOffset(spec, i)));
    }
    if (!spec.symbols.empty()) {
        put32(b, kPeCoff + 8, std::uint32_t(b.size()));
        b.insert(b.end(), spec.symbols.begin(), spec.symbols.end());
    }
    if (!spec.certificate.empty()) {
        while (b.size() % 8) b.push_back(0);
        put32(b, dirs + 8 * 4, std::uint32_t(b.size()));
        put32(b, dirs + 4 + 8 * 4, std::uint32_t(spec.certificate.size()));
        b.insert(b.end(), spec.certificate.begin(), spec.certificate.end());
    }
    return b;
}

}  // namespace test
