// The resource rewriter on images built to order: what moves when the resource section grows
// or shrinks, what is kept byte for byte, what is refused, and hostile resource trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "package/PeResources.h"
#include "tests/support/PeBuilder.h"
#include "tests/support/SameResources.h"

namespace {

using pe::Resource;
using pe::ResourceId;
using test::PeSpec;
using test::sameResources;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<Resource> setupResources() {
    std::vector<Resource> list;
    auto add = [&](ResourceId type, ResourceId name, std::string data) {
        list.push_back({std::move(type), std::move(name), 1033, 0, bytesOf(data)});
    };
    add(ResourceId::of(u"RES_DATA"), ResourceId::of(199), "the old package");
    add(ResourceId::of(u"RES_IMAGE_DATA"), ResourceId::of(250), "bundle");
    add(ResourceId::of(u"PNG"), ResourceId::of(200), "png bytes");
    add(ResourceId::of(3), ResourceId::of(1), "icon bytes");
    add(ResourceId::of(14), ResourceId::of(107), "group icon");
    add(ResourceId::of(24), ResourceId::of(1), "<assembly/>");
    return list;
}

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return pe::getU32(b, at);
}

std::size_t sectionHeader(int index) {
    return test::kPeSectionTable + 40 * std::size_t(index);
}

// .text, .rsrc holding `resources`, .reloc with one block for a page of .text, and a
// discardable debugging section: the order a MinGW linker gives.
PeSpec linkerSpec(const std::vector<Resource>& resources) {
    PeSpec spec;
    spec.sections.push_back({".text", std::vector<std::uint8_t>(0x300, 0xC3), test::kCode});
    spec.sections.push_back({".rsrc", {}, test::kData});
    std::vector<std::uint8_t> reloc(12, 0);
    pe::putU32(reloc, 0, test::sectionRva(spec, 0));
    pe::putU32(reloc, 4, 12);
    pe::putU16(reloc, 8, 0x3010);
    spec.sections.push_back({".reloc", reloc, test::kDiscardable});
    spec.sections.push_back({"/4", std::vector<std::uint8_t>(0x250, 0xDB), test::kDiscardable});
    std::string why;
    pe::buildResourceSection(resources, test::sectionRva(spec, 1), spec.sections[1].data, why);
    spec.directories.push_back({2, 1, 0, std::uint32_t(spec.sections[1].data.size())});
    spec.directories.push_back({5, 2, 0, 12});
    return spec;
}

std::vector<Resource> withPackage(std::vector<Resource> list, std::size_t size) {
    pe::setResource(list, ResourceId::of(u"RES_DATA"), ResourceId::of(199),
                    std::vector<std::uint8_t>(size, 0x5A));
    return list;
}

TEST(PeResources, ReadsTheTreeAndRewritesItUnchangedButForTheChecksum) {
    std::vector<Resource> resources = setupResources();
    std::vector<std::uint8_t> image = test::buildPe(linkerSpec(resources));
    std::vector<Resource> read;
    std::string why;
    ASSERT_TRUE(pe::readResources(image, read, why)) << why;
    EXPECT_TRUE(sameResources(read, resources));

    std::vector<std::uint8_t> out;
    ASSERT_TRUE(pe::rewriteResources(image, read, out, why)) << why;
    ASSERT_EQ(out.size(), image.size());
    std::size_t checksum = test::kPeOptional + 64;
    EXPECT_EQ(u32(out, checksum), pe::checksumOf(out, checksum));
    EXPECT_NE(u32(out, checksum), 0u);
    pe::putU32(out, checksum, 0);
    EXPECT_EQ(out, image);
}

TEST(PeResources, AGrowingResourceSectionMovesTheRelocationsAndDebugDataAfterIt) {
    PeSpec spec = linkerSpec(setupResources());
    spec.symbols = bytesOf("symbol table and its strings");
    std::vector<std::uint8_t> image = test::buildPe(spec);
    std::vector<Resource> wanted = withPackage(setupResources(), 10000);
    std::vector<std::uint8_t> out;
    std::string why;
    ASSERT_TRUE(pe::rewriteResources(image, wanted, out, why)) << why;

    std::vector<Resource> read;
    ASSERT_TRUE(pe::readResources(out, read, why)) << why;
    EXPECT_TRUE(sameResources(read, wanted));

    std::uint32_t rsrcRaw = u32(out, sectionHeader(1) + 16);
    std::uint32_t rsrcSize = u32(out, sectionHeader(1) + 8);
    EXPECT_EQ(rsrcRaw % test::kPeFileAlignment, 0u);
    EXPECT_GE(rsrcRaw, rsrcSize);
    std::uint32_t rawShift = rsrcRaw - u32(image, sectionHeader(1) + 16);
    auto pages = [](std::uint32_t size) { return (size + 0xFFF) / 0x1000 * 0x1000; };
    std::uint32_t virtualShift = pages(rsrcSize) - pages(u32(image, sectionHeader(1) + 8));
    ASSERT_GT(virtualShift, 0u);
    ASSERT_GT(rawShift, 0u);
    for (int i : {2, 3}) {
        EXPECT_EQ(u32(out, sectionHeader(i) + 12),
                  test::sectionRva(spec, std::size_t(i)) + virtualShift);
        EXPECT_EQ(u32(out, sectionHeader(i) + 20),
                  test::sectionOffset(spec, std::size_t(i)) + rawShift);
        // The section's bytes went with it.
        std::size_t from = test::sectionOffset(spec, std::size_t(i));
        std::size_t to = u32(out, sectionHeader(i) + 20);
        std::size_t n = spec.sections[std::size_t(i)].data.size();
        EXPECT_TRUE(std::equal(image.begin() + std::ptrdiff_t(from),
                               image.begin() + std::ptrdiff_t(from + n),
                               out.begin() + std::ptrdiff_t(to)));
    }
    std::size_t dirs = test::kPeOptional + 96;
    EXPECT_EQ(u32(out, dirs + 8 * 5), test::sectionRva(spec, 2) + virtualShift) << "relocations";
    EXPECT_EQ(u32(out, dirs + 8 * 2 + 4), rsrcSize) << "resource directory size";
    EXPECT_EQ(u32(out, test::kPeOptional + 56), test::sectionRva(spec, 4) + virtualShift);
    EXPECT_EQ(u32(out, test::kPeOptional + 8), rawShift) << "SizeOfInitializedData grows";
    // Code is untouched; the relocation block still names the same page of .text.
    EXPECT_TRUE(std::equal(image.begin() + 0x400, image.begin() + 0x700, out.begin() + 0x400));
    EXPECT_EQ(u32(out, u32(out, sectionHeader(2) + 20)), test::sectionRva(spec, 0));
    std::uint32_t symbols = u32(out, test::kPeCoff + 8);
    EXPECT_EQ(symbols, u32(image, test::kPeCoff + 8) + rawShift);
    EXPECT_EQ(std::string(out.begin() + symbols, out.end()), "symbol table and its strings");
}

TEST(PeResources, AShrinkingSectionMovesTheRestBackAndTheSameInputsGiveTheSameBytes) {
    std::vector<std::uint8_t> big = test::buildPe(linkerSpec(withPackage(setupResources(), 9000)));
    std::vector<Resource> small = setupResources();
    std::vector<std::uint8_t> once, twice, reference;
    std::string why;
    ASSERT_TRUE(pe::rewriteResources(big, small, once, why)) << why;
    ASSERT_TRUE(pe::rewriteResources(big, small, twice, why)) << why;
    EXPECT_EQ(once, twice);
    // Back to exactly what a linker would have made with the small resources.
    reference = test::buildPe(linkerSpec(small));
    std::size_t checksum = test::kPeOptional + 64;
    pe::putU32(once, checksum, 0);
    pe::putU32(reference, test::kPeOptional + 8, u32(once, test::kPeOptional + 8));
    EXPECT_EQ(once, reference);
}

TEST(PeResources, ACertificateTableIsDroppedWithThePaddingBeforeIt) {
    PeSpec spec = linkerSpec(setupResources());
    // No symbols, then a string table of 13 bytes (its size field counts itself): the
    // certificate after it is padded to an 8-byte boundary.
    spec.symbols = {13, 0, 0, 0, 'a', 'b', 'c', 'd', 0, 'e', 'f', 'g', 0};
    spec.certificate = std::vector<std::uint8_t>(64, 0xCE);
    std::vector<std::uint8_t> image = test::buildPe(spec);
    ASSERT_EQ(image.size(), test::sectionOffset(spec, 4) + 16 + 64);
    std::vector<std::uint8_t> out;
    std::string why;
    ASSERT_TRUE(pe::rewriteResources(image, setupResources(), out, why)) << why;
    std::size_t certificate = test::kPeOptional + 96 + 8 * 4;
    EXPECT_EQ(u32(out, certificate), 0u);
    EXPECT_EQ(u32(out, certificate + 4), 0u);
    ASSERT_EQ(out.size(), test::sectionOffset(spec, 4) + 13);
    EXPECT_EQ(out.back(), 0) << "the string table's own last byte stays";
    EXPECT_EQ(out[out.size() - 2], 'g');
}

// A section whose data starts inside the headers puts its debug entries over the section
// table: patching them would overwrite the headers just written, so the image is refused.
TEST(PeResources, DebugEntriesInsideTheHeadersAreRefused) {
    PeSpec spec = linkerSpec(setupResources());
    spec.directories.push_back({6, 0, 0x100, 28});
    std::vector<std::uint8_t> image = test::buildPe(spec);
    pe::putU32(image, sectionHeader(0) + 20, 0x100);  // .text's data from 0x100: entry at 0x200
    std::vector<std::uint8_t> out;
    std::string why;
    EXPECT_FALSE(pe::rewriteResources(image, withPackage(setupResources(), 5000), out, why));
    EXPECT_EQ(why, "the debug directory lies outside the sections before the resources");
    EXPECT_TRUE(out.empty());
}

// Dropping the certificate table must not cut off anything the headers still name: a section
// or a string table running on into it makes the image refused, not damaged.
TEST(PeResources, DataRunningIntoTheCertificateTableIsRefused) {
    PeSpec spec = linkerSpec(setupResources());
    spec.certificate = std::vector<std::uint8_t>(64, 0xCE);
    std::vector<std::uint8_t> image = test::buildPe(spec);
    std::vector<std::uint8_t> out(1, 0);
    std::string why;
    ASSERT_TRUE(pe::rewriteResources(image, setupResources(), out, why)) << why;

    std::vector<std::uint8_t> sectionInto = image;
    pe::putU32(sectionInto, sectionHeader(3) + 16, u32(image, sectionHeader(3) + 16) + 0x10);
    EXPECT_FALSE(pe::rewriteResources(sectionInto, setupResources(), out, why));
    EXPECT_EQ(why, "the certificate table is not at the end of the file");
    EXPECT_TRUE(out.empty());

    spec.symbols = {29, 0, 0, 0, 'a', 'b', 'c', 'd', 0, 'e', 'f', 'g', 0};  // claims 16 more
    std::vector<std::uint8_t> stringsInto = test::buildPe(spec);
    EXPECT_FALSE(pe::rewriteResources(stringsInto, setupResources(), out, why));
    EXPECT_EQ(why, "the certificate table is not at the end of the file");
}

TEST(PeResources, FilePointersToNothingAreClearedSoThatARewriteIsStable) {
    std::vector<std::uint8_t> image = test::buildPe(linkerSpec(setupResources()));
    pe::putU32(image, test::kPeCoff + 8, 0xFFFFFF80u);  // a symbol table beyond the file
    pe::putU32(image, test::kPeCoff + 12, 7);
    pe::putU32(image, sectionHeader(3) + 28, 0x00FFFF00u);  // line numbers beyond it too
    std::vector<Resource> grown = withPackage(setupResources(), 7000);
    std::vector<std::uint8_t> once, twice;
    std::string why;
    ASSERT_TRUE(pe::rewriteResources(image, grown, once, why)) << why;
    EXPECT_EQ(u32(once, test::kPeCoff + 8), 0u);
    EXPECT_EQ(u32(once, test::kPeCoff + 12), 0u);
    EXPECT_EQ(u32(once, sectionHeader(3) + 28), 0u);
    ASSERT_TRUE(pe::rewriteResources(once, grown, twice, why)) << why;
    EXPECT_EQ(once, twice);
}

TEST(PeResources, DebugEntriesFollowTheDataTheyName) {
    PeSpec spec = linkerSpec(setupResources());
    // A debug directory in .text whose one entry names data in the last, discardable section.
    std::vector<std::uint8_t>& text = spec.sections[0].data;
    pe::putU32(text, 0x100 + 20, test::sectionRva(spec, 3) + 0x10);
    pe::putU32(text, 0x100 + 24, test::sectionOffset(spec, 3) + 0x10);
    spec.directories.push_back({6, 0, 0x100, 28});
    std::vector<std::uint8_t> image = test::buildPe(spec);
    std::vector<std::uint8_t> out;
    std::string why;
    ASSERT_TRUE(pe::rewriteResources(image, withPackage(setupResources(), 5000), out, why)) << why;
    std::size_t entry = test::sectionOffset(spec, 0) + 0x100;
    EXPECT_EQ(u32(out, entry + 20), u32(out, sectionHeader(3) + 12) + 0x10);
    EXPECT_EQ(u32(out, entry + 24), u32(out, sectionHeader(3) + 20) + 0x10);
}

TEST(PeResources, RefusesToMoveWhatCodeMayPointAt) {
    std::string why;
    std::vector<std::uint8_t> out;
    auto grow = withPackage(setupResources(), 8000);

    PeSpec data = linkerSpec(setupResources());
    data.sections[3].characteristics = test::kData;  // not discardable
    EXPECT_FALSE(pe::rewriteResources(test::buildPe(data), grow, out, why));
    EXPECT_NE(why.find("cannot move"), std::string::npos) << why;
    EXPECT_TRUE(out.empty());
    // Shrinking needs nothing to move: the section keeps its old extent.
    PeSpec bigData = linkerSpec(grow);
    bigData.sections[3].characteristics = test::kData;
    std::vector<std::uint8_t> bigImage = test::buildPe(bigData);
    ASSERT_TRUE(pe::rewriteResources(bigImage, setupResources(), out, why)) << why;
    EXPECT_EQ(u32(out, sectionHeader(3) + 12), u32(bigImage, sectionHeader(3) + 12));
    EXPECT_EQ(u32(out, sectionHeader(1) + 8), u32(bigImage, sectionHeader(1) + 8));
    std::vector<Resource> read;
    ASSERT_TRUE(pe::readResources(out, read, why)) << why;
    EXPECT_TRUE(sameResources(read, setupResources()));

    PeSpec tls = linkerSpec(setupResources());
    tls.directories.push_back({9, 3, 0x10, 0x18});  // thread-local storage after the resources
    EXPECT_FALSE(pe::rewriteResources(test::buildPe(tls), grow, out, why));
    EXPECT_EQ(why, "data directory 9 lies in a section after the resources");

    // A relocation block claiming more than the table holds ends the table.
    PeSpec oversized = linkerSpec(setupResources());
    pe::putU32(oversized.sections[2].data, 4, 0xFFFFFFF8u);
    EXPECT_TRUE(pe::rewriteResources(test::buildPe(oversized), grow, out, why)) << why;

    PeSpec relocated = linkerSpec(setupResources());
    pe::putU32(relocated.sections[2].data, 0, test::sectionRva(relocated, 3));
    EXPECT_FALSE(pe::rewriteResources(test::buildPe(relocated), grow, out, why));
    EXPECT_EQ(why, "relocations patch a section that would move");

    PeSpec nowhere = linkerSpec(setupResources());
    nowhere.directories.push_back({13, 3, 0x2000, 0x20});  // past the end of the image
    EXPECT_FALSE(pe::rewriteResources(test::buildPe(nowhere), grow, out, why));
    EXPECT_EQ(why, "data directory 13 points outside every section");

    PeSpec inside = linkerSpec(setupResources());
    inside.directories.push_back({1, 1, 0x20, 0x10});  // imports inside the resource section
    EXPECT_FALSE(pe::rewriteResources(test::buildPe(inside), setupResources(), out, why));
    EXPECT_EQ(why, "data directory 1 lies inside the resource section");
}

TEST(PeResources, RefusesImagesItCannotReadSafely) {
    std::vector<std::uint8_t> good = test::buildPe(linkerSpec(setupResources()));
    std::vector<Resource> read;
    std::string why;
    auto refused = [&](std::vector<std::uint8_t> image, const std::string& reason) {
        read.assign(1, Resource{});
        bool ok = pe::readResources(image, read, why);
        EXPECT_FALSE(ok) << reason;
        EXPECT_EQ(why, reason);
        EXPECT_TRUE(read.empty());
    };
    refused({}, "not an executable (no MZ header)");
    refused(std::vector<std::uint8_t>(good.begin(), good.begin() + 0x90),
            "not a PE executable (no PE signature)");
    refused(std::vector<std::uint8_t>(good.begin(), good.begin() + 0x100),
            "the optional header is missing or runs past the end of the file");

    auto changed = [&](std::size_t at, std::uint32_t value, int width = 4) {
        std::vector<std::uint8_t> copy = good;
        if (width == 2)
            pe::putU16(copy, at, std::uint16_t(value));
        else
            pe::putU32(copy, at, value);
        return copy;
    };
    refused(changed(test::kPeOptional, 0x107, 2), "not a PE32 or PE32+ executable");
    refused(changed(0x3C, 0xFFFFFFF0), "not a PE executable (no PE signature)");
    refused(changed(test::kPeOptional + 36, 0x300),
            "the section or file alignment is not a usable power of two");
    refused(changed(test::kPeOptional + 92, 17),
            "the data directories do not fit the optional header");
    refused(changed(test::kPeCoff + 2, 200, 2),
            "the section table is empty, too long or outside the headers");
    refused(changed(sectionHeader(3) + 16, 0x100000),
            "a section's data runs past the end of the file");
    refused(changed(sectionHeader(2) + 12, 0x1000),
            "the sections are not in ascending, aligned, separate order");
    refused(changed(test::kPeOptional + 96 + 16, 0x00FFF000),
            "the resource directory lies in no section's data");

    std::vector<std::uint8_t> out;
    PeSpec none = linkerSpec(setupResources());
    none.directories.erase(none.directories.begin());
    EXPECT_FALSE(pe::rewriteResources(test::buildPe(none), setupResources(), out, why));
    EXPECT_EQ(why, "the executable has no resources to replace");
    // The same tree 16 bytes into its section: readable, but not a section of its own.
    PeSpec spec = linkerSpec(setupResources());
    std::size_t rsrc = test::sectionOffset(spec, 1);
    std::vector<std::uint8_t> shifted = good;
    std::copy(good.begin() + std::ptrdiff_t(rsrc),
              good.begin() + std::ptrdiff_t(rsrc + spec.sections[1].data.size()),
              shifted.begin() + std::ptrdiff_t(rsrc + 16));
    pe::putU32(shifted, test::kPeOptional + 96 + 16, test::sectionRva(spec, 1) + 16);
    ASSERT_TRUE(pe::readResources(shifted, read, why)) << why;
    EXPECT_FALSE(pe::rewriteResources(shifted, setupResources(), out, why));
    EXPECT_EQ(why, "the resources do not start a section of their own");
}

// The 64-bit kind: the same rewrite with the data directories 16 bytes further in, and the
// fields a PE32 header would have there (the 64-bit stack and heap sizes) left alone.
PeSpec wideSpec(const std::vector<Resource>& resources) {
    PeSpec spec = linkerSpec(resources);
    spec.magic = 0x20B;
    return spec;
}

std::size_t wideSection(int index) {
    return test::peSectionTable(wideSpec({})) + 40 * std::size_t(index);
}

TEST(PeResources, APe32PlusImageIsRewrittenWithItsOwnDirectories) {
    PeSpec spec = wideSpec(setupResources());
    std::vector<std::uint8_t> image = test::buildPe(spec);
    std::size_t dirs = test::peDirectories(spec);
    ASSERT_EQ(dirs, test::kPeOptional + 112);
    // Stack and heap sizes where a PE32 header keeps its directory count and directories.
    for (std::size_t at = 72; at < 104; at += 4) pe::putU32(image, test::kPeOptional + at, 0x1000);

    std::vector<Resource> read;
    std::string why;
    ASSERT_TRUE(pe::readResources(image, read, why)) << why;
    EXPECT_TRUE(sameResources(read, setupResources()));

    std::vector<Resource> wanted = withPackage(setupResources(), 10000);
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(pe::rewriteResources(image, wanted, out, why)) << why;
    ASSERT_TRUE(pe::readResources(out, read, why)) << why;
    EXPECT_TRUE(sameResources(read, wanted));

    EXPECT_TRUE(std::equal(image.begin() + std::ptrdiff_t(test::kPeOptional + 72),
                           image.begin() + std::ptrdiff_t(test::kPeOptional + 108),
                           out.begin() + std::ptrdiff_t(test::kPeOptional + 72)))
        << "the stack and heap sizes and the loader flags are kept";
    std::uint32_t rsrcSize = u32(out, wideSection(1) + 8);
    EXPECT_EQ(u32(out, dirs + 8 * 2 + 4), rsrcSize) << "resource directory size";
    std::uint32_t relocRva = u32(out, wideSection(2) + 12);
    EXPECT_GT(relocRva, test::sectionRva(spec, 2));
    EXPECT_EQ(u32(out, dirs + 8 * 5), relocRva) << "the relocations moved with .reloc";
    EXPECT_EQ(u32(out, test::kPeOptional + 56), u32(out, wideSection(3) + 12) + 0x1000)
        << "SizeOfImage";
    std::size_t checksum = test::kPeOptional + 64;
    EXPECT_EQ(u32(out, checksum), pe::checksumOf(out, checksum));

    std::vector<std::uint8_t> twice;
    ASSERT_TRUE(pe::rewriteResources(out, wanted, twice, why)) << why;
    EXPECT_EQ(twice, out);
}

TEST(PeResources, APe32PlusCertificateTableIsDroppedFromItsOwnDirectory) {
    PeSpec spec = wideSpec(setupResources());
    spec.certificate = std::vector<std::uint8_t>(64, 0xCE);
    std::vector<std::uint8_t> image = test::buildPe(spec);
    std::vector<std::uint8_t> out;
    std::string why;
    ASSERT_TRUE(pe::rewriteResources(image, setupResources(), out, why)) << why;
    std::size_t certificate = test::peDirectories(spec) + 8 * 4;
    EXPECT_EQ(u32(out, certificate), 0u);
    EXPECT_EQ(u32(out, certificate + 4), 0u);
    EXPECT_EQ(out.size(), test::sectionOffset(spec, 4));
}

// A PE32+ header cut short: its longer fields must be checked against its own size, since a
// PE32-sized header would put the directories past what the file says it holds.
TEST(PeResources, RefusesDamagedPe32PlusHeaders) {
    PeSpec spec = wideSpec(setupResources());
    std::vector<std::uint8_t> good = test::buildPe(spec);
    std::vector<Resource> read;
    std::vector<std::uint8_t> out;
    std::string why;
    auto refused = [&](std::vector<std::uint8_t> image, const std::string& reason) {
        EXPECT_FALSE(pe::readResources(image, read, why)) << reason;
        EXPECT_EQ(why, reason);
        out.assign(3, 1);
        EXPECT_FALSE(pe::rewriteResources(image, setupResources(), out, why)) << reason;
        EXPECT_TRUE(out.empty());
    };
    auto withOptionalSize = [&](std::uint16_t size) {
        std::vector<std::uint8_t> copy = good;
        pe::putU16(copy, test::kPeCoff + 16, size);
        return copy;
    };
    // Long enough for a PE32 header's directories, too short for this one's.
    refused(withOptionalSize(100),
            "the optional header is missing or runs past the end of the file");
    refused(withOptionalSize(111),
            "the optional header is missing or runs past the end of the file");
    // The directory count is read from its PE32+ place; 16 of them need all 240 bytes.
    refused(withOptionalSize(200), "the data directories do not fit the optional header");
    std::vector<std::uint8_t> many = good;
    pe::putU32(many, test::kPeOptional + 108, 17);
    refused(many, "the data directories do not fit the optional header");
    // A header that claims more than the file holds.
    refused(std::vector<std::uint8_t>(good.begin(), good.begin() + test::kPeOptional + 200),
            "the optional header is missing or runs past the end of the file");
    std::vector<std::uint8_t> nowhere = good;
    pe::putU32(nowhere, test::peDirectories(spec) + 16, 0x00FFF000);
    refused(nowhere, "the resource directory lies in no section's data");

    // A directory count of zero: no resources to replace, but readable.
    std::vector<std::uint8_t> none = good;
    pe::putU32(none, test::kPeOptional + 108, 0);
    ASSERT_TRUE(pe::readResources(none, read, why)) << why;
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(pe::rewriteResources(none, setupResources(), out, why));
    EXPECT_EQ(why, "the executable has no resources to replace");
}

// A resource section written by hand, for trees no writer would make.
std::vector<std::uint8_t> imageWithTree(const std::vector<std::uint8_t>& tree) {
    PeSpec spec = linkerSpec(setupResources());
    spec.sections[1].data = tree;
    spec.directories[0].size = std::uint32_t(tree.size());
    return test::buildPe(spec);
}

void table(std::vector<std::uint8_t>& t, std::size_t at, std::uint16_t ids) {
    if (t.size() < at + 16 + 8 * ids) t.resize(at + 16 + 8 * ids);
    pe::putU16(t, at + 14, ids);
}

void entry(std::vector<std::uint8_t>& t, std::size_t table, int i, std::uint32_t name,
           std::uint32_t target) {
    pe::putU32(t, table + 16 + 8 * std::size_t(i), name);
    pe::putU32(t, table + 20 + 8 * std::size_t(i), target);
}

TEST(PeResources, RefusesHostileTrees) {
    std::uint32_t rva = test::sectionRva(linkerSpec({}), 1);
    std::vector<Resource> read;
    std::string why;
    auto check = [&](const std::vector<std::uint8_t>& tree, const std::string& reason) {
        EXPECT_FALSE(pe::readResources(imageWithTree(tree), read, why)) << reason;
        EXPECT_EQ(why, reason);
    };
    // A table that leads back to itself.
    std::vector<std::uint8_t> loop;
    table(loop, 0, 1);
    entry(loop, 0, 0, 3, 0x80000000u);
    check(loop, "a resource table is reached twice");

    // Data where a type table belongs.
    std::vector<std::uint8_t> shallow;
    table(shallow, 0, 1);
    entry(shallow, 0, 0, 3, 0x40);
    shallow.resize(0x60);
    check(shallow, "the resource tree is not three levels deep");

    // A well-formed path whose data lies beyond every section, then one whose name runs out.
    std::vector<std::uint8_t> t;
    table(t, 0, 1);
    entry(t, 0, 0, 3, 0x80000018u);
    table(t, 0x18, 1);
    entry(t, 0x18, 0, 1, 0x80000030u);
    table(t, 0x30, 1);
    entry(t, 0x30, 0, 1033, 0x48);
    t.resize(0x58);
    pe::putU32(t, 0x48, 0x00F00000);
    pe::putU32(t, 0x4C, 16);
    check(t, "a resource's data lies outside the file's sections");
    std::vector<std::uint8_t> named = t;
    pe::putU32(named, 0x48, rva);
    entry(named, 0, 0, 0x80000050u, 0x80000018u);
    pe::putU16(named, 0x50, 0x4000);
    check(named, "a resource name runs outside the resource section");

    // One data entry named by more and more languages: the copies may not outgrow the file.
    std::vector<std::uint8_t> shared = t;
    std::size_t count = 2000;
    shared.resize(0x60);
    std::vector<std::uint8_t> languages(16 + 8 * count, 0);
    pe::putU16(languages, 14, std::uint16_t(count));
    for (std::size_t i = 0; i < count; ++i) {
        pe::putU32(languages, 16 + 8 * i, std::uint32_t(i));
        pe::putU32(languages, 20 + 8 * i, 0x48);
    }
    pe::putU32(shared, 0x48, rva);
    pe::putU32(shared, 0x4C, 0x700);
    entry(shared, 0x18, 0, 1, 0x80000060u);
    shared.insert(shared.end(), languages.begin(), languages.end());
    check(shared, "the resources add up to more than the file");

    // Empty data, but a long type name that every one of those languages would copy: 16 KiB
    // each, 32 MiB in all from an image of a few KiB. Names count like data.
    std::vector<std::uint8_t> longName = shared;
    std::size_t nameAt = longName.size();
    longName.resize(nameAt + 2 + 2 * 0x2000, 'n');
    std::fill_n(longName.begin() + 0x4C, 4, 0);  // no data
    pe::putU16(longName, nameAt, 0x2000);
    entry(longName, 0, 0, 0x80000000u | std::uint32_t(nameAt), 0x80000018u);
    check(longName, "the resources add up to more than the file");
}

TEST(PeResources, SetResourceReplacesEveryLanguageInTheFirstOnesLanguage) {
    std::vector<Resource> list = setupResources();
    list.push_back({ResourceId::of(u"RES_DATA"), ResourceId::of(199), 2052, 936, bytesOf("zh")});
    pe::setResource(list, ResourceId::of(u"res_data"), ResourceId::of(199), bytesOf("new"));
    int found = 0;
    for (const Resource& r : list) {
        if (!pe::sameId(r.type, ResourceId::of(u"RES_DATA"))) continue;
        ++found;
        EXPECT_EQ(r.language, 1033);
        EXPECT_EQ(r.data, bytesOf("new"));
    }
    EXPECT_EQ(found, 1);
    pe::setResource(list, ResourceId::of(u"BMP"), ResourceId::of(204), bytesOf("bmp"));
    EXPECT_EQ(list.back().language, 0) << "a new resource is language neutral";
    EXPECT_EQ(list.size(), setupResources().size() + 1);
}

TEST(PeResources, WritesTablesInTheOrderTheLoaderSearches) {
    std::vector<Resource> list = {
        {ResourceId::of(6), ResourceId::of(7), 0, 0, bytesOf("s")},
        {ResourceId::of(u"res_image_data"), ResourceId::of(250), 0, 0, bytesOf("b")},
        {ResourceId::of(3), ResourceId::of(1), 0, 0, bytesOf("i")},
        {ResourceId::of(u"PNG"), ResourceId::of(200), 0, 0, bytesOf("p")},
        {ResourceId::of(u"RES_DATA"), ResourceId::of(199), 0, 0, bytesOf("d")},
    };
    std::vector<std::uint8_t> section;
    std::string why;
    ASSERT_TRUE(pe::buildResourceSection(list, 0x1000, section, why)) << why;
    // Three named types first in case-blind order, then the numbered ones ascending.
    EXPECT_EQ(pe::getU16(section, 12), 3);
    EXPECT_EQ(pe::getU16(section, 14), 2);
    auto nameAt = [&](int i) {
        std::uint32_t field = u32(section, 16 + 8 * std::size_t(i));
        if (!(field & 0x80000000u)) return std::to_string(field);
        std::size_t at = field & 0x7FFFFFFF;
        std::string name;
        for (std::size_t k = 0; k < pe::getU16(section, at); ++k)
            name.push_back(char(section[at + 2 + 2 * k]));
        return name;
    };
    EXPECT_EQ(nameAt(0), "PNG");
    EXPECT_EQ(nameAt(1), "RES_DATA");
    EXPECT_EQ(nameAt(2), "res_image_data");
    EXPECT_EQ(nameAt(3), "3");
    EXPECT_EQ(nameAt(4), "6");

    list.push_back({ResourceId::of(u"png"), ResourceId::of(200), 0, 0, bytesOf("again")});
    EXPECT_FALSE(pe::buildResourceSection(list, 0x1000, section, why));
    EXPECT_EQ(why, "two resources png 200 in language 0");
    EXPECT_TRUE(section.empty());
}

}  // namespace
