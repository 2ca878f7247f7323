// A setup's own title, icon and version resource: each built and read back, damaged input
// refused without reading outside it, and the manifest's elements carried into a rewritten
// image that reads back as Windows would read it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/Text.h"
#include "package/IconResource.h"
#include "package/PeResources.h"
#include "package/StringResource.h"
#include "package/VersionResource.h"
#include "tests/support/PeBuilder.h"
#include "tools/pkgtool/SetupLook.h"

namespace {

using pe::IconImage;
using pe::Resource;
using pe::ResourceId;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// --- version resource

pe::VersionInfo sampleVersion() {
    pe::VersionInfo info;
    info.fileVersion = {6, 0, 2, 0};
    info.productVersion = {6, 0, 2, 1};
    info.strings = {{u"CompanyName", u"Quillon & Co"},
                    {u"FileDescription", u"Quillon Touch Setup"},
                    {u"FileVersion", u"6.0.2"},
                    {u"LegalCopyright", u"\u00a9 2026 Quillon"},
                    {u"ProductName", u"QuillonTouch"}};
    return info;
}

std::vector<std::uint8_t> built(const pe::VersionInfo& info) {
    std::vector<std::uint8_t> data;
    std::string why;
    EXPECT_TRUE(pe::buildVersionResource(info, data, why)) << why;
    return data;
}

TEST(VersionResource, ReadsBackWhatItBuilds) {
    std::vector<std::uint8_t> data = built(sampleVersion());
    EXPECT_EQ(pe::getU16(data, 0), data.size()) << "the root's length is the whole resource";
    EXPECT_EQ(data.size() % 4, 0u);
    pe::VersionInfo read;
    std::string why;
    ASSERT_TRUE(pe::readVersionResource(data, read, why)) << why;
    EXPECT_EQ(read.fileVersion, sampleVersion().fileVersion);
    EXPECT_EQ(read.productVersion, sampleVersion().productVersion);
    EXPECT_EQ(read.strings, sampleVersion().strings);
    EXPECT_EQ(pe::versionString(read, u"CompanyName"), u"Quillon & Co");
    EXPECT_EQ(pe::versionString(read, u"Comments"), u"");
    // Windows reads the numbers from the fixed information at its fixed place: after the
    // 6-byte header and "VS_VERSION_INFO" with its terminator, 4-byte aligned.
    EXPECT_EQ(pe::getU32(data, 40), 0xFEEF04BDu);
    EXPECT_EQ(pe::getU32(data, 48), 0x00060000u);
    EXPECT_EQ(pe::getU32(data, 52), 0x00020000u);
    EXPECT_EQ(pe::getU32(data, 60), 0x00020001u);
}

TEST(VersionResource, VersionNumbersAreOneToFourSixteenBitParts) {
    std::array<std::uint16_t, 4> v{};
    EXPECT_TRUE(pe::versionNumbers(u"6.0.2", v));
    EXPECT_EQ(v, (std::array<std::uint16_t, 4>{6, 0, 2, 0}));
    EXPECT_TRUE(pe::versionNumbers(u"65535.1.2.3", v));
    EXPECT_EQ(v, (std::array<std::uint16_t, 4>{65535, 1, 2, 3}));
    for (const char16_t* bad :
         {u"", u"1..2", u"1.2.3.4.5", u"65536", u"1.", u".1", u"1.a", u"000000001", u"1 .2"}) {
        EXPECT_FALSE(pe::versionNumbers(bad, v)) << utf16ToUtf8(bad);
    }
}

// Each block's length is 16 bits: what does not fit is refused, never written with a length
// that names only a part of it (a stub's 32,000-character text once gave a resource whose
// length claimed 392 of its 65,928 bytes).
TEST(VersionResource, TextsThatDoNotFitTheSixteenBitLengthsAreRefused) {
    pe::VersionInfo info = sampleVersion();
    std::string why;
    std::vector<std::uint8_t> data;
    // The longest description that fits, found from one that does not.
    std::size_t longest = 33000;
    for (;; --longest) {
        info.strings[1].second = std::u16string(longest, u'd');
        if (pe::buildVersionResource(info, data, why)) break;
        EXPECT_EQ(why,
                  "the version resource's texts do not fit its 16-bit lengths (64 KiB in all)");
        EXPECT_TRUE(data.empty());
        ASSERT_GT(longest, 30000u);
    }
    EXPECT_GT(data.size(), 65535u - 4) << "only the last step's padding was left";
    EXPECT_EQ(pe::getU16(data, 0), data.size());
    pe::VersionInfo read;
    ASSERT_TRUE(pe::readVersionResource(data, read, why)) << why;
    EXPECT_EQ(read.strings, info.strings);
    // Many texts that each fit but not together.
    pe::VersionInfo many = sampleVersion();
    for (int i = 0; i < 300; ++i) many.strings.push_back({u"Comments", std::u16string(120, u'c')});
    EXPECT_FALSE(pe::buildVersionResource(many, data, why));
}

// Every cut and every corrupted length: refused or read, never a read outside the data (the
// sanitizer tiers would catch one), never a string that was not in the input.
TEST(VersionResource, DamagedBlocksAreRefusedWithoutReadingOutsideThem) {
    std::vector<std::uint8_t> good = built(sampleVersion());
    pe::VersionInfo read;
    std::string why;
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        std::vector<std::uint8_t> part(good.begin(), good.begin() + std::ptrdiff_t(cut));
        EXPECT_FALSE(pe::readVersionResource(part, read, why)) << "cut at " << cut;
    }
    std::vector<std::uint8_t> longer = good;
    pe::putU16(longer, 0, std::uint16_t(good.size() + 2));
    EXPECT_FALSE(pe::readVersionResource(longer, read, why));
    EXPECT_EQ(why, "the version resource's length runs outside its data");

    std::vector<std::uint8_t> signature = good;
    pe::putU32(signature, 40, 0x12345678);
    EXPECT_FALSE(pe::readVersionResource(signature, read, why));
    EXPECT_EQ(why, "the version resource has no fixed file information");

    // The StringFileInfo block right after the fixed information claims more than its parent.
    std::vector<std::uint8_t> child = good;
    pe::putU16(child, 92, std::uint16_t(good.size()));
    EXPECT_FALSE(pe::readVersionResource(child, read, why));
    EXPECT_EQ(why, "a block of the version resource runs outside its parent");

    for (std::size_t at = 0; at + 1 < good.size(); at += 2) {
        for (std::uint16_t value : {std::uint16_t(0), std::uint16_t(5), std::uint16_t(0xFFFF)}) {
            std::vector<std::uint8_t> bent = good;
            pe::putU16(bent, at, value);
            if (pe::readVersionResource(bent, read, why)) {
                for (const auto& [key, text] : read.strings) {
                    EXPECT_LE(2 * (key.size() + text.size()), bent.size());
                }
            }
        }
    }
}

// --- icons

// A bitmap image's first bytes: a BITMAPINFOHEADER for a square of `side` pixels.
std::vector<std::uint8_t> bitmapImage(std::uint32_t side, std::size_t size) {
    std::vector<std::uint8_t> b(size, 0x11);
    pe::putU32(b, 0, 40);
    pe::putU32(b, 4, side);
    pe::putU32(b, 8, 2 * side);
    return b;
}

std::vector<std::uint8_t> pngImage(std::size_t size) {
    std::vector<std::uint8_t> b(size, 0x22);
    const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::copy(std::begin(signature), std::end(signature), b.begin());
    return b;
}

struct IcoEntry {
    std::uint8_t width, height;
    std::uint16_t bitCount;
    std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> icoFile(const std::vector<IcoEntry>& entries) {
    std::vector<std::uint8_t> f(6 + 16 * entries.size(), 0);
    pe::putU16(f, 2, 1);
    pe::putU16(f, 4, std::uint16_t(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::size_t at = 6 + 16 * i;
        f[at] = entries[i].width;
        f[at + 1] = entries[i].height;
        pe::putU16(f, at + 4, 1);
        pe::putU16(f, at + 6, entries[i].bitCount);
        pe::putU32(f, at + 8, std::uint32_t(entries[i].data.size()));
        pe::putU32(f, at + 12, std::uint32_t(f.size()));
        f.insert(f.end(), entries[i].data.begin(), entries[i].data.end());
    }
    return f;
}

std::vector<std::uint8_t> twoImageIco() {
    return icoFile({{16, 16, 32, bitmapImage(16, 1128)}, {0, 0, 32, pngImage(300)}});
}

TEST(IconResource, ReadsAnIcoFileAndRefusesOneThatLiesAboutItsImages) {
    std::vector<IconImage> images;
    std::string why;
    ASSERT_TRUE(pe::readIconFile(twoImageIco(), images, why)) << why;
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].width, 16);
    EXPECT_EQ(images[0].data, bitmapImage(16, 1128));
    EXPECT_EQ(images[1].width, 256) << "0 in the directory means 256";
    EXPECT_EQ(images[1].height, 256);
    EXPECT_EQ(images[1].data, pngImage(300));

    auto refused = [&](std::vector<std::uint8_t> file, const std::string& reason) {
        images.assign(1, IconImage{});
        EXPECT_FALSE(pe::readIconFile(file, images, why)) << reason;
        EXPECT_EQ(why, reason);
        EXPECT_TRUE(images.empty());
    };
    std::vector<std::uint8_t> good = twoImageIco();
    refused({}, "not an icon (no icon directory at its start)");
    std::vector<std::uint8_t> cursor = good;
    pe::putU16(cursor, 2, 2);
    refused(cursor, "not an icon (no icon directory at its start)");
    std::vector<std::uint8_t> none = good;
    pe::putU16(none, 4, 0);
    refused(none, "the icon holds no image");
    std::vector<std::uint8_t> many = good;
    pe::putU16(many, 4, 33);
    refused(many, "the icon holds more than 32 images");
    refused(std::vector<std::uint8_t>(good.begin(), good.begin() + 30),
            "the icon directory runs past the end of its data");
    std::vector<std::uint8_t> beyond = good;
    pe::putU32(beyond, 6 + 16 + 12, std::uint32_t(good.size() - 10));
    refused(beyond, "image 2 of the icon lies outside the file");
    std::vector<std::uint8_t> wrap = good;  // offset + size wraps around 4 GiB
    pe::putU32(wrap, 6 + 8, 0xFFFFFFF0u);
    refused(wrap, "image 1 of the icon lies outside the file");
    std::vector<std::uint8_t> empty = good;
    pe::putU32(empty, 6 + 8, 0);
    refused(empty, "image 1 of the icon lies outside the file");
    std::vector<std::uint8_t> text = good;
    pe::putU32(text, 6 + 12, 0);  // the image would be the directory itself
    refused(text, "image 1 of the icon is neither a PNG nor a bitmap");
}

std::vector<Resource> stubIcons() {
    std::vector<Resource> list;
    auto add = [&](std::uint16_t type, std::uint16_t name, std::vector<std::uint8_t> data) {
        list.push_back({ResourceId::of(type), ResourceId::of(name), 1033, 0, std::move(data)});
    };
    // Group 107 names icons 1 and 2; group 1 (another icon of the program) names 2 and 3.
    auto group = [](std::vector<std::uint16_t> ids) {
        std::vector<std::uint8_t> g(6 + 14 * ids.size(), 0);
        pe::putU16(g, 2, 1);
        pe::putU16(g, 4, std::uint16_t(ids.size()));
        for (std::size_t i = 0; i < ids.size(); ++i) {
            g[6 + 14 * i] = 32;
            g[7 + 14 * i] = 32;
            pe::putU16(g, 6 + 14 * i + 12, ids[i]);
        }
        return g;
    };
    add(3, 1, bytesOf("old 1"));
    add(3, 2, bytesOf("shared 2"));
    add(3, 3, bytesOf("other 3"));
    add(3, 5, bytesOf("loose 5"));
    add(14, 107, group({1, 2}));
    add(14, 1, group({2, 3}));
    return list;
}

const Resource* findResource(const std::vector<Resource>& list, std::uint16_t type,
                             std::uint16_t name) {
    for (const Resource& r : list) {
        if (pe::sameId(r.type, ResourceId::of(type)) && pe::sameId(r.name, ResourceId::of(name)))
            return &r;
    }
    return nullptr;
}

TEST(IconResource, ReplacesTheGroupAndOnlyTheImagesNoOtherGroupUses) {
    std::vector<Resource> list = stubIcons();
    std::vector<IconImage> images;
    std::string why;
    ASSERT_TRUE(pe::readIconFile(twoImageIco(), images, why)) << why;
    ASSERT_TRUE(pe::setIcon(list, ResourceId::of(107), images, why)) << why;

    EXPECT_EQ(findResource(list, 3, 1)->data, bitmapImage(16, 1128)) << "icon 1 was group 107's";
    EXPECT_EQ(findResource(list, 3, 2)->data, bytesOf("shared 2")) << "group 1 still uses it";
    EXPECT_EQ(findResource(list, 3, 3)->data, bytesOf("other 3"));
    EXPECT_EQ(findResource(list, 3, 5)->data, bytesOf("loose 5"));
    EXPECT_EQ(findResource(list, 3, 4)->data, pngImage(300)) << "the lowest id left free";

    const Resource* group = findResource(list, 14, 107);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->language, 1033) << "the old group's language";
    EXPECT_EQ(findResource(list, 3, 4)->language, 1033);
    std::vector<IconImage> entries;
    ASSERT_TRUE(pe::readIconGroup(group->data, entries, why)) << why;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, 1);
    EXPECT_EQ(entries[0].size, 1128u);
    EXPECT_EQ(entries[1].id, 4);
    EXPECT_EQ(entries[1].width, 256);
    EXPECT_EQ(group->data[6 + 14], 0) << "256 is written as 0";
    EXPECT_EQ(std::count_if(list.begin(), list.end(),
                            [](const Resource& r) { return r.type.number == 14; }),
              2);

    // A stub without the group gets a new one in the neutral language.
    std::vector<Resource> bare;
    ASSERT_TRUE(pe::setIcon(bare, ResourceId::of(107), images, why)) << why;
    EXPECT_EQ(bare.size(), 3u);
    EXPECT_EQ(findResource(bare, 14, 107)->language, 0);
}

TEST(IconResource, ADamagedGroupToReplaceIsRefusedAndNothingChanges) {
    std::vector<Resource> list = stubIcons();
    std::vector<IconImage> images;
    std::string why;
    ASSERT_TRUE(pe::readIconFile(twoImageIco(), images, why)) << why;
    const_cast<Resource*>(findResource(list, 14, 107))->data.resize(10);
    std::vector<Resource> before = list;
    EXPECT_FALSE(pe::setIcon(list, ResourceId::of(107), images, why));
    EXPECT_EQ(why, "icon group 107: the icon directory runs past the end of its data");
    EXPECT_EQ(list.size(), before.size());
    EXPECT_FALSE(pe::setIcon(list, ResourceId::of(1), {}, why));
    EXPECT_EQ(why, "an icon holds 1 to 32 images");
}

// --- strings

TEST(StringResource, ReplacesOneStringAndKeepsTheRestOfItsBlock) {
    std::vector<Resource> list;
    std::string why;
    ASSERT_TRUE(pe::setString(list, 100, u"hundred", why)) << why;
    ASSERT_TRUE(pe::setString(list, 105, u"Multitouch Driver Installation", why)) << why;
    ASSERT_EQ(list.size(), 1u) << "strings 96 to 111 share block 7";
    EXPECT_EQ(list[0].name.number, 7);
    ASSERT_TRUE(pe::setString(list, 105, u"Quillon \u89e6\u6478 Setup", why)) << why;
    std::u16string text;
    ASSERT_TRUE(pe::readString(list, 105, text));
    EXPECT_EQ(text, u"Quillon \u89e6\u6478 Setup");
    ASSERT_TRUE(pe::readString(list, 100, text));
    EXPECT_EQ(text, u"hundred");
    ASSERT_TRUE(pe::readString(list, 111, text));
    EXPECT_EQ(text, u"");
    EXPECT_FALSE(pe::readString(list, 112, text)) << "block 8 does not exist";
    EXPECT_EQ(list[0].data.size(), 2 * 16 + 2 * (7 + 16));

    // Every language that has the string gets it.
    list.push_back({ResourceId::of(6), ResourceId::of(7), 2052, 936, list[0].data});
    ASSERT_TRUE(pe::setString(list, 105, u"T", why)) << why;
    for (const Resource& r : list) {
        std::vector<Resource> one{r};
        ASSERT_TRUE(pe::readString(one, 105, text));
        EXPECT_EQ(text, u"T");
    }
}

TEST(StringResource, ABlockWhoseCountsRunPastItsDataIsRefusedWhole) {
    std::vector<Resource> list;
    std::string why;
    ASSERT_TRUE(pe::setString(list, 105, u"title", why)) << why;
    // Nine empty counts, string 105 (a count and five units), six empty counts: 42 bytes.
    std::vector<std::uint8_t> good = list[0].data;
    ASSERT_EQ(good.size(), 42u);
    for (std::size_t n = 0; n < good.size(); ++n) {
        list[0].data.assign(good.begin(), good.begin() + std::ptrdiff_t(n));
        std::u16string text;
        // A block may end after any whole string (the rest are empty), never inside one.
        bool whole = n % 2 == 0 && (n <= 18 || n >= 30);
        EXPECT_EQ(pe::readString(list, 105, text), whole) << n;
        EXPECT_EQ(text, whole && n >= 30 ? u"title" : u"") << n;
        std::vector<std::uint8_t> before = list[0].data;
        EXPECT_EQ(pe::setString(list, 105, u"new", why), whole) << n;
        if (!whole) {
            EXPECT_EQ(why, "string table 7 runs past its data");
            EXPECT_EQ(list[0].data, before) << "nothing changed";
        }
    }
}

// --- the manifest's look carried into an image

Manifest lookManifest() {
    Manifest m;
    m.rootName = u"QuillonTouch";
    m.records.push_back({});
    m.records.back().command = ScriptCommand::Company;
    m.records.back().text = u"Quillon & Co";
    copyText(m.identity.version, u"2.5.1");
    m.identityLines.version = 4;
    m.look.title = u"Quillon Touch Frame Setup";
    m.look.titleLine = 5;
    m.look.copyright = u"\u00a9 2026 Quillon & Co";
    m.look.copyrightLine = 6;
    return m;
}

std::vector<Resource> stubResources() {
    std::vector<Resource> list = stubIcons();
    pe::VersionInfo stub;
    stub.fileVersion = {1, 2, 3, 4};
    stub.strings = {{u"FileDescription", u"Multitouch Driver Installation"},
                    {u"OriginalFilename", u"setup.exe"},
                    {u"CompanyName", u"Brenmark"}};
    list.push_back({ResourceId::of(16), ResourceId::of(1), 1033, 0, built(stub)});
    std::string why;
    pe::setString(list, 105, u"Multitouch Driver Installation", why);
    list.push_back({ResourceId::of(u"RES_DATA"), ResourceId::of(199), 1033, 0, bytesOf("pkg")});
    return list;
}

TEST(SetupLook, TheVersionResourceComesFromTheManifestWithTheStubsOwnAsFallback) {
    Manifest m = lookManifest();
    pe::VersionInfo stub;
    stub.strings = {{u"FileDescription", u"Stub Setup"}, {u"OriginalFilename", u"stub.exe"}};
    pe::VersionInfo info = setupVersionOf(m, stub);
    EXPECT_EQ(info.fileVersion, (std::array<std::uint16_t, 4>{2, 5, 1, 0}));
    EXPECT_EQ(info.productVersion, info.fileVersion);
    std::vector<std::pair<std::u16string, std::u16string>> wanted = {
        {u"CompanyName", u"Quillon & Co"},  {u"FileDescription", u"Quillon Touch Frame Setup"},
        {u"FileVersion", u"2.5.1"},         {u"LegalCopyright", u"\u00a9 2026 Quillon & Co"},
        {u"OriginalFilename", u"stub.exe"}, {u"ProductName", u"QuillonTouch"},
        {u"ProductVersion", u"2.5.1"}};
    EXPECT_EQ(info.strings, wanted);

    m.look.description = u"Quillon drivers";
    EXPECT_EQ(pe::versionString(setupVersionOf(m, stub), u"FileDescription"), u"Quillon drivers");
    m.look = {};
    EXPECT_EQ(pe::versionString(setupVersionOf(m, stub), u"FileDescription"), u"Stub Setup");
    EXPECT_EQ(pe::versionString(setupVersionOf(m, stub), u"LegalCopyright"), u"")
        << "no copyright but the manifest's";
    pe::VersionInfo bare = setupVersionOf(m, {});
    EXPECT_EQ(pe::versionString(bare, u"FileDescription"), u"QuillonTouch Setup");
    EXPECT_EQ(pe::versionString(bare, u"OriginalFilename"), u"setup.exe");
}

// Only a description and a file name are taken over from a stub, each as long as a manifest's
// text may be; a stub that holds longer ones is refused with what it holds.
TEST(SetupLook, AStubsOverlongVersionTextsAreNotTakenOver) {
    for (std::u16string key : {u"FileDescription", u"OriginalFilename"}) {
        for (std::size_t length : {259u, 260u, 32000u}) {
            Manifest m = lookManifest();
            m.look.title.clear();
            m.look.titleLine = 0;
            std::vector<Resource> list = stubResources();
            pe::VersionInfo stub;
            stub.strings = {{key, std::u16string(length, u'x')}};
            pe::setResource(list, ResourceId::of(16), ResourceId::of(1), built(stub));
            ManifestError error;
            bool applied = applySetupLook(m, list, error);
            EXPECT_EQ(applied, length <= 259) << utf16ToUtf8(key) << " " << length;
            if (applied) continue;
            EXPECT_EQ(error.line, 4) << "the Version element asked for the resource";
            EXPECT_EQ(error.cause, "the stub's version resource has a " + utf16ToUtf8(key) +
                                       " of " + std::to_string(length) +
                                       " characters; at most 259 are taken over");
        }
    }
}

TEST(SetupLook, AManifestWithoutTheElementsLeavesTheStubsResourcesAsTheyAre) {
    Manifest m;
    m.rootName = u"KorvelServerV6";
    copyText(m.identity.version, u"1.0");  // completed, not given
    std::vector<Resource> list = stubResources();
    ManifestError error;
    ASSERT_TRUE(applySetupLook(m, list, error)) << error.cause;
    std::vector<Resource> stub = stubResources();
    ASSERT_EQ(list.size(), stub.size());
    for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].data, stub[i].data) << i;
}

// The whole way: a stub image, the manifest's look applied, the image rewritten, and what a
// reader of the result finds.
TEST(SetupLook, ARewrittenImageCarriesTheTitleIconAndVersion) {
    test::PeSpec spec;
    spec.magic = 0x20B;
    spec.sections.push_back({".text", std::vector<std::uint8_t>(0x200, 0xC3), test::kCode});
    spec.sections.push_back({".rsrc", {}, test::kData});
    std::string why;
    ASSERT_TRUE(pe::buildResourceSection(stubResources(), test::sectionRva(spec, 1),
                                         spec.sections[1].data, why))
        << why;
    spec.directories.push_back({2, 1, 0, std::uint32_t(spec.sections[1].data.size())});
    std::vector<std::uint8_t> image = test::buildPe(spec);

    std::vector<Resource> resources;
    ASSERT_TRUE(pe::readResources(image, resources, why)) << why;
    Manifest m = lookManifest();  // no SetupIcon: the icon is put in below, from bytes
    ManifestError error;
    ASSERT_TRUE(applySetupLook(m, resources, error)) << error.cause;
    std::vector<IconImage> images;
    ASSERT_TRUE(pe::readIconFile(twoImageIco(), images, why)) << why;
    ASSERT_TRUE(pe::setIcon(resources, ResourceId::of(107), images, why)) << why;
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(pe::rewriteResources(image, resources, out, why)) << why;

    std::vector<Resource> read;
    ASSERT_TRUE(pe::readResources(out, read, why)) << why;
    std::u16string title;
    ASSERT_TRUE(pe::readString(read, 105, title));
    EXPECT_EQ(title, u"Quillon Touch Frame Setup");
    const Resource* version = findResource(read, 16, 1);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->language, 1033) << "the stub's language kept";
    pe::VersionInfo info;
    ASSERT_TRUE(pe::readVersionResource(version->data, info, why)) << why;
    pe::VersionInfo stub;
    stub.strings = {{u"OriginalFilename", u"setup.exe"}};
    EXPECT_EQ(info.strings, setupVersionOf(m, stub).strings);
    EXPECT_EQ(pe::versionString(info, u"CompanyName"), u"Quillon & Co");
    EXPECT_EQ(info.fileVersion, (std::array<std::uint16_t, 4>{2, 5, 1, 0}));
    std::vector<IconImage> entries;
    ASSERT_TRUE(pe::readIconGroup(findResource(read, 14, 107)->data, entries, why)) << why;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(findResource(read, 3, entries[1].id)->data, pngImage(300));
    auto package = std::find_if(read.begin(), read.end(), [](const Resource& r) {
        return pe::sameId(r.type, ResourceId::of(u"RES_DATA"));
    });
    ASSERT_NE(package, read.end());
    EXPECT_EQ(package->data, bytesOf("pkg")) << "the package is kept";
}

}  // namespace
