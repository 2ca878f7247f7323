// The product identity block after the package: what it holds, that older packages without it
// are the demo product's, that a damaged one is refused with the package, and that the package
// before it keeps its own rules.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/OtherProduct.h"
#include "tests/support/PackageFixture.h"
#include "tests/support/ShippedPackage.h"

using namespace testpkg;

namespace {

std::vector<std::uint8_t> field(std::uint16_t tag, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out{std::uint8_t(tag), std::uint8_t(tag >> 8),
                                  std::uint8_t(data.size()), std::uint8_t(data.size() >> 8)};
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<std::uint8_t> utf16(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    for (char16_t c : text) out.insert(out.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
    return out;
}

// A block of the given fields with a correct header.
std::vector<std::uint8_t> block(const std::vector<std::vector<std::uint8_t>>& fields,
                                std::uint16_t format = 1) {
    std::vector<std::uint8_t> out{'T', 'P', 'I', 'D', std::uint8_t(format), 0, 0, 0, 0, 0};
    for (const auto& f : fields) out.insert(out.end(), f.begin(), f.end());
    auto size = std::uint32_t(out.size());
    for (int i = 0; i < 4; ++i) out[6 + i] = std::uint8_t(size >> (8 * i));
    return out;
}

std::vector<std::uint8_t> soundFields(std::u16string_view key = u"Orbis",
                                      std::u16string_view folder = u"Orbis Data",
                                      std::u16string_view version = u"2.1") {
    auto k = field(1, utf16(key)), f = field(2, utf16(folder)), v = field(3, utf16(version));
    std::vector<std::uint8_t> out = k;
    out.insert(out.end(), f.begin(), f.end());
    out.insert(out.end(), v.begin(), v.end());
    return out;
}

bool reads(const std::vector<std::uint8_t>& bytes, ProductIdentity* out = nullptr) {
    ProductIdentity identity;
    bool ok = readIdentityBlock(bytes.data(), bytes.size(), identity);
    if (out) *out = identity;
    return ok;
}

std::vector<std::uint8_t> withBlock(const std::vector<std::uint8_t>& b) {
    std::vector<std::uint8_t> p = shippedPackage();
    p.insert(p.end(), b.begin(), b.end());
    return p;
}

}  // namespace

TEST(ProductIdentity, TheBlockHoldsKeyFolderAndVersionAndReadsBack) {
    ProductIdentity identity = identityOf(u"Orbis OrbisTouch", u"Orbis Data", u"2.10.0.7");
    std::vector<std::uint8_t> bytes = identityBlockOf(identity);
    ASSERT_EQ(bytes.size(), 10u + 4 + 32 + 4 + 20 + 4 + 16);
    EXPECT_EQ(std::memcmp(bytes.data(), "TPID\x01\x00", 6), 0);
    EXPECT_EQ(readU32(bytes.data() + 6), bytes.size());
    ProductIdentity read;
    ASSERT_TRUE(reads(bytes, &read));
    EXPECT_EQ(viewOf(read.settingsKey), u"Orbis OrbisTouch");
    EXPECT_EQ(viewOf(read.dataFolder), u"Orbis Data");
    EXPECT_EQ(viewOf(read.version), u"2.10.0.7");
    EXPECT_TRUE(sameProduct(read, identityOf(u"orbis orbistouch", u"x")));
    EXPECT_FALSE(sameProduct(read, demoIdentity()));

    // The demo product's own identity has no version: the block leaves it out and stays sound.
    ASSERT_TRUE(reads(identityBlockOf(demoIdentity()), &read));
    EXPECT_EQ(viewOf(read.settingsKey), u"KorvelServerV5");
    EXPECT_EQ(viewOf(read.dataFolder), u"Vantrel");
    EXPECT_EQ(read.version[0], 0);
}

TEST(ProductIdentity, APackageWithoutABlockIsTheDemoProductsAndOneWithItCarriesItsOwn) {
    LoadedConfig old;
    ASSERT_TRUE(old.load(shippedPackage()));
    EXPECT_EQ(viewOf(old.config.identity.settingsKey), u"KorvelServerV5");
    EXPECT_EQ(viewOf(old.config.identity.dataFolder), u"Vantrel");
    EXPECT_EQ(old.config.identity.version[0], 0);

    LoadedConfig orbis;
    ASSERT_TRUE(orbis.load(orbisPackage()));
    EXPECT_EQ(viewOf(orbis.config.identity.settingsKey), u"Orbis OrbisTouch");
    EXPECT_EQ(viewOf(orbis.config.identity.version), u"2.1");
    EXPECT_EQ(viewOf(orbis.config.product), u"OrbisTouch");

    // Loading the old package again gives the demo product back, not the last one loaded.
    ASSERT_TRUE(orbis.load(shippedPackage()));
    EXPECT_TRUE(sameProduct(orbis.config.identity, demoIdentity()));
}

// The block rides after totalSize: the container's own rules are exactly as before.
TEST(ProductIdentity, ThePackageBeforeTheBlockKeepsItsSizeRuleAndItsRecordRules) {
    std::vector<std::uint8_t> good = withBlock(identityBlockOf(orbisIdentity()));
    LoadedConfig c;
    ASSERT_TRUE(c.load(good));
    for (int delta : {-1, 1}) {
        std::vector<std::uint8_t> bad = good;
        Bytes total;
        total.v = bad;
        total.patch32(0, readU32(bad.data()) + std::uint32_t(delta));
        EXPECT_FALSE(c.load(total.v)) << delta;
        EXPECT_EQ(c.config.fileTree, nullptr);
    }
    // A command byte above 13 still stops the script, the block after the package or not.
    Script s;
    s.text(0, u"Co");
    s.raw({14, 0x7E});
    std::vector<std::uint8_t> stopped =
        withIdentity(package(s, shippedFileBlock()), orbisIdentity());
    ScriptStop stop;
    ASSERT_TRUE(c.load(stopped, &stop));
    EXPECT_NE(stop.reason, nullptr);
    EXPECT_EQ(viewOf(c.config.company), u"Co");
    EXPECT_EQ(viewOf(c.config.identity.settingsKey), u"Orbis OrbisTouch");
}

TEST(ProductIdentity, ADamagedBlockIsRefusedAndSoIsThePackage) {
    std::vector<std::uint8_t> sound = block({soundFields()});
    ASSERT_TRUE(reads(sound));
    std::vector<std::vector<std::uint8_t>> damaged;
    for (std::size_t n = 0; n < sound.size(); ++n) {
        damaged.emplace_back(sound.begin(), sound.begin() + std::ptrdiff_t(n));  // cut short
    }
    std::vector<std::uint8_t> longer = sound;
    longer.push_back(0);  // a byte after the block's own size
    damaged.push_back(longer);
    std::vector<std::uint8_t> magic = sound;
    magic[0] = 'X';
    damaged.push_back(magic);
    damaged.push_back(block({soundFields()}, 2));  // a format this reader does not know
    auto key = field(1, utf16(u"Orbis")), folder = field(2, utf16(u"Data"));
    damaged.push_back(block({key, folder, key}));                 // a field twice
    damaged.push_back(block({folder, field(3, utf16(u"1.0"))}));  // no settings key
    damaged.push_back(block({key}));                              // no data folder
    damaged.push_back(block({field(1, {'O', 0, 'r'}), folder}));  // odd size
    std::vector<std::uint8_t> past = field(9, {1, 2, 3, 4, 5, 6});
    past.pop_back();
    damaged.push_back(block({key, folder, past}));  // a field that runs past the block
    for (std::u16string_view badKey : {u"Orbis.Touch", u"..\\Microsoft", u"", u"a/b", u"trail "}) {
        damaged.push_back(block({soundFields(badKey)}));
    }
    damaged.push_back(block({soundFields(std::u16string(251, u'k'))}));
    for (std::u16string_view badFolder : {u"..", u"a\\b", u"C:x", u""}) {
        damaged.push_back(block({soundFields(u"Orbis", badFolder)}));
    }
    for (std::u16string_view badVersion :
         {u"", u"1.", u".1", u"1..2", u"1.2.3.4.5", u"65536", u"1.x", u"1,2", u"000001"}) {
        damaged.push_back(block({soundFields(u"Orbis", u"Data", badVersion)}));
    }
    std::vector<std::uint8_t> huge =
        block({soundFields(), field(7, std::vector<std::uint8_t>(4100))});
    damaged.push_back(huge);

    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        ProductIdentity left = identityOf(u"Left", u"Alone");
        const char* reason = nullptr;
        EXPECT_FALSE(readIdentityBlock(damaged[i].data(), damaged[i].size(), left, &reason));
        EXPECT_NE(reason, nullptr);
        EXPECT_EQ(viewOf(left.settingsKey), u"Left");
        // An empty tail is an older package; anything else that is no sound block refuses it.
        if (damaged[i].empty()) continue;
        LoadedConfig c;
        EXPECT_FALSE(c.load(withBlock(damaged[i])));
        EXPECT_EQ(c.config.fileTree, nullptr);
        EXPECT_NE(lastPackageRejection, nullptr);
    }
    for (std::u16string_view version : {u"0", u"6.0.2", u"65535.65535.65535.65535", u"1.02"}) {
        EXPECT_TRUE(reads(block({soundFields(u"Orbis", u"Data", version)}))) << "a version";
    }
}

// Later fields are skipped by this reader, so that a newer package never makes an older
// installer refuse it.
TEST(ProductIdentity, FieldsThisReaderDoesNotKnowAreSkipped) {
    ProductIdentity read;
    ASSERT_TRUE(
        reads(block({field(5, {0xEC, 0xAA, 1, 0}), soundFields(), field(0xFFFF, {})}), &read));
    EXPECT_EQ(viewOf(read.settingsKey), u"Orbis");
    EXPECT_EQ(viewOf(read.dataFolder), u"Orbis Data");
    // Without a version the block is still sound.
    ASSERT_TRUE(reads(block({field(2, utf16(u"D")), field(1, utf16(u"K"))}), &read));
    EXPECT_EQ(read.version[0], 0);
}

namespace {

std::vector<std::uint8_t> touchField(std::uint16_t vendor, std::vector<std::uint16_t> products,
                                     int countDelta = 0) {
    std::vector<std::uint8_t> data{std::uint8_t(vendor), std::uint8_t(vendor >> 8)};
    auto count = std::uint16_t(int(products.size()) + countDelta);
    data.insert(data.end(), {std::uint8_t(count), std::uint8_t(count >> 8)});
    for (std::uint16_t p : products)
        data.insert(data.end(), {std::uint8_t(p), std::uint8_t(p >> 8)});
    return field(4, data);
}

}  // namespace

TEST(ProductIdentity, TheTouchDevicesTravelAsTagFourAndReadBack) {
    ProductIdentity identity = orbisIdentity();
    identity.touch.vendor = 0x1234;
    identity.touch.productCount = 2;
    identity.touch.products[0] = 0x0042;
    identity.touch.products[1] = 0xC0DE;
    std::vector<std::uint8_t> bytes = identityBlockOf(identity);
    std::vector<std::uint8_t> tail(bytes.end() - 12, bytes.end());
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{4, 0, 8, 0, 0x34, 0x12, 2, 0, 0x42, 0, 0xDE, 0xC0}));
    ProductIdentity read;
    ASSERT_TRUE(reads(bytes, &read));
    EXPECT_TRUE(read.touch == identity.touch);

    // The defaults are left out, so a package that names none is byte for byte as before; read
    // back they are the defaults again, in a block or without one.
    EXPECT_EQ(identityBlockOf(orbisIdentity()).size(), bytes.size() - 12);
    ASSERT_TRUE(reads(identityBlockOf(orbisIdentity()), &read));
    EXPECT_TRUE(read.touch == TouchDeviceIds{});
    LoadedConfig old;
    ASSERT_TRUE(old.load(shippedPackage()));
    EXPECT_TRUE(old.config.identity.touch == TouchDeviceIds{});

    // Every product of a vendor: no product ids.
    auto sound = soundFields();
    auto anyProduct = touchField(0x1234, {});
    sound.insert(sound.end(), anyProduct.begin(), anyProduct.end());
    ASSERT_TRUE(reads(block({sound}), &read));
    EXPECT_EQ(read.touch.vendor, 0x1234);
    EXPECT_EQ(read.touch.productCount, 0);

    LoadedConfig loaded;
    ASSERT_TRUE(loaded.load(withIdentity(shippedPackage(), identity)));
    EXPECT_TRUE(loaded.config.identity.touch == identity.touch);
}

TEST(ProductIdentity, DamagedTouchDevicesAreRefusedAndSoIsThePackage) {
    std::vector<std::uint16_t> seventeen;
    for (std::uint16_t p = 0; p < 17; ++p) seventeen.push_back(p);
    const std::vector<std::vector<std::uint8_t>> bad = {
        field(4, {}),                        // no vendor
        field(4, {0x34, 0x12, 0}),           // count cut short
        touchField(0x1234, {1, 2}, 1),       // counts three, holds two
        touchField(0x1234, {1, 2}, -1),      // counts one, holds two
        touchField(0x1234, {1, 2}, 0x7FFF),  // a count far beyond the field
        touchField(0x0000, {1}),             // no vendor id
        touchField(0x1234, {7, 8, 7}),       // a product twice
        touchField(0x1234, seventeen),       // more than the record holds
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        auto fields = soundFields();
        fields.insert(fields.end(), bad[i].begin(), bad[i].end());
        const char* reason = nullptr;
        ProductIdentity identity;
        auto b = block({fields});
        EXPECT_FALSE(readIdentityBlock(b.data(), b.size(), identity, &reason)) << i;
        EXPECT_STREQ(reason, "the touch devices are not a vendor id and distinct product ids") << i;
        LoadedConfig c;
        EXPECT_FALSE(c.load(withBlock(b))) << i;
    }
    // Given twice, even alike.
    auto twice = soundFields();
    auto one = touchField(0x1234, {1});
    twice.insert(twice.end(), one.begin(), one.end());
    twice.insert(twice.end(), one.begin(), one.end());
    EXPECT_FALSE(reads(block({twice})));
    // Sixteen is the most, and is sound.
    seventeen.pop_back();
    auto sixteen = soundFields();
    auto most = touchField(0x1234, seventeen);
    sixteen.insert(sixteen.end(), most.begin(), most.end());
    ProductIdentity read;
    ASSERT_TRUE(reads(block({sixteen}), &read));
    EXPECT_EQ(read.touch.productCount, 16);
    EXPECT_EQ(read.touch.products[15], 15);
}
