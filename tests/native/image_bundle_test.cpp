#include <gtest/gtest.h>

#include <vector>

#include "package/ImageBundle.h"
#include "package/ResourcePicture.h"
#include "platform/PictureFormat.h"
#include "platform/fake/FakePictures.h"
#include "platform/fake/FaultPlan.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// A bitmap file header and info header with the given size; `tag` marks the picture.
Bytes bitmap(std::uint32_t width, std::uint32_t height, std::uint8_t tag) {
    Bytes b = {'B', 'M'};
    put32(b, 0);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, width);
    put32(b, height);
    b.resize(54 + tag % 7, tag);
    return b;
}

Bytes bundleOf(std::uint32_t count, const std::vector<Bytes>& pictures) {
    Bytes b;
    put32(b, count);
    for (const Bytes& p : pictures) {
        put32(b, std::uint32_t(p.size()));
        b.insert(b.end(), p.begin(), p.end());
    }
    return b;
}

std::vector<Bytes> numbered(int n) {
    std::vector<Bytes> pictures;
    for (int i = 0; i < n; ++i) pictures.push_back(bitmap(536 + i, 304, std::uint8_t(i + 1)));
    return pictures;
}

class Bundle : public ::testing::Test {
protected:
    void SetUp() override {
        fake::faults().clear();
        saved_ = platform::os().pictures;
        platform::os().pictures = &pictures;
    }
    void TearDown() override {
        platform::os().pictures = saved_;
        fake::faults().clear();
    }
    // Slot by slot: the tag byte of the picture it holds, or 0 when empty.
    std::vector<int> tags() const {
        std::vector<int> out;
        for (const auto& slot : table.slots) {
            auto* p = static_cast<fake::FakePicture*>(slot.get());
            out.push_back(p ? p->bytes().back() : 0);
        }
        return out;
    }
    unsigned widthOf(int slot) {
        unsigned w = 0, h = 0;
        return table.slots[slot] && table.slots[slot]->dimensions(w, h) ? w : 0;
    }

    fake::FakePictures pictures;
    PictureTable table;

private:
    platform::Pictures* saved_ = nullptr;
};

TEST_F(Bundle, FillsSlotsInBundleOrderAndLeavesTheRest) {
    Bytes five = bundleOf(5, numbered(5));
    EXPECT_TRUE(loadImageBundle(five.data(), five.size(), table));
    EXPECT_EQ(tags(), (std::vector<int>{1, 2, 3, 4, 5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(widthOf(0), 536u);
    EXPECT_EQ(widthOf(4), 540u);

    // A later load (another language chosen) replaces the slots it reaches, keeps the others.
    Bytes one = bundleOf(1, {bitmap(10, 10, 9)});
    EXPECT_TRUE(loadImageBundle(one.data(), one.size(), table));
    EXPECT_EQ(tags(), (std::vector<int>{9, 2, 3, 4, 5, 0, 0, 0, 0, 0}));
}

TEST_F(Bundle, StopsAtAZeroSizeOrAnEmptyCount) {
    Bytes b = bundleOf(3, numbered(1));
    put32(b, 0);
    Bytes rest = bitmap(1, 1, 7);
    put32(b, std::uint32_t(rest.size()));
    b.insert(b.end(), rest.begin(), rest.end());
    EXPECT_TRUE(loadImageBundle(b.data(), b.size(), table));
    EXPECT_EQ(tags(), (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    PictureTable empty;
    Bytes none = bundleOf(0, numbered(2));
    EXPECT_TRUE(loadImageBundle(none.data(), none.size(), empty));
    EXPECT_EQ(empty.slots[0], nullptr);
    EXPECT_EQ(pictures.decodedSizes().size(), 1u);
}

TEST_F(Bundle, NeverMoreThanTenPictures) {
    for (std::uint32_t count : {11u, 12u, 0xFFFFFFFFu}) {
        Bytes b = bundleOf(count, numbered(12));
        BundleContents contents = readBundle(b.data(), b.size());
        EXPECT_EQ(contents.declared, count);
        EXPECT_EQ(contents.entries.size(), 10u);
        PictureTable t;
        EXPECT_TRUE(loadImageBundle(b.data(), b.size(), t));
        EXPECT_NE(t.slots[9], nullptr);
    }
    EXPECT_EQ(pictures.decodedSizes().size(), 30u);
}

TEST_F(Bundle, ReadingStaysInsideTheResource) {
    Bytes full = bundleOf(3, numbered(3));
    std::size_t firstEnd = 8 + numbered(1)[0].size();
    // Every cut of the bundle keeps exactly the pictures that lie wholly inside the cut.
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        Bytes part(full.begin(), full.begin() + std::ptrdiff_t(cut));
        BundleContents contents = readBundle(part.data(), part.size());
        for (const BundleEntry& e : contents.entries) EXPECT_LE(e.offset + e.size, cut);
        std::size_t expected = cut == full.size() ? 3 : cut >= firstEnd ? 1 : 0;
        if (cut >= firstEnd + 4 + numbered(2)[1].size() && cut < full.size()) expected = 2;
        EXPECT_EQ(contents.entries.size(), expected) << cut;
    }
    // A size that runs past the end, even by wrapping around, stops the reading there.
    Bytes b = bundleOf(2, numbered(1));
    put32(b, 0xFFFFFFF0u);
    b.resize(b.size() + 32, 0);
    EXPECT_EQ(readBundle(b.data(), b.size()).entries.size(), 1u);
    EXPECT_EQ(readBundle(nullptr, 100).entries.size(), 0u);
}

TEST_F(Bundle, ADecodeThatFailsEndsTheLoadButABadPictureKeepsItsSlot) {
    std::vector<Bytes> mixed = numbered(4);
    mixed[1] = Bytes(20, 'x');  // not a picture: stored in an error state
    Bytes b = bundleOf(4, mixed);
    EXPECT_TRUE(loadImageBundle(b.data(), b.size(), table));
    ASSERT_NE(table.slots[1], nullptr);
    unsigned w = 0, h = 0;
    EXPECT_FALSE(table.slots[1]->dimensions(w, h));
    EXPECT_EQ(widthOf(3), 539u);

    PictureTable t;
    fake::faults().clear();
    fake::faults().failOperation("pictures.decode", 3);
    Bytes ok = bundleOf(4, numbered(4));
    EXPECT_TRUE(loadImageBundle(ok.data(), ok.size(), t));
    EXPECT_NE(t.slots[1], nullptr);
    EXPECT_EQ(t.slots[2], nullptr);
    EXPECT_EQ(t.slots[3], nullptr);
}

TEST_F(Bundle, ResourcePicturesAreFoundByIdAndType) {
    pictures.addResource(204, u"BMP", bitmap(536, 304, 1));
    pictures.addResource(200, u"PNG", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    EXPECT_NE(loadResourcePicture(204, kBmpResource), nullptr);
    EXPECT_NE(loadResourcePicture(200, kPngResource), nullptr);
    EXPECT_EQ(loadResourcePicture(204, kPngResource), nullptr);
    EXPECT_EQ(loadResourcePicture(205, kBmpResource), nullptr);
    EXPECT_EQ(loadResourcePicture(204, nullptr), nullptr);
}

TEST(PictureFormat, RecognisesBitmapAndPngSignaturesOnly) {
    Bytes bmp = bitmap(1, 1, 1);
    EXPECT_EQ(pictureFormatOf(bmp.data(), bmp.size()), PictureFormat::Bmp);
    EXPECT_EQ(pictureFormatOf(bmp.data(), 13), PictureFormat::Unknown);
    const std::uint8_t png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0};
    EXPECT_EQ(pictureFormatOf(png, sizeof png), PictureFormat::Png);
    EXPECT_EQ(pictureFormatOf(png, 7), PictureFormat::Unknown);
    const std::uint8_t mangled[] = {0x89, 'P', 'N', 'G', '\n', '\n', 0x1A, '\n'};
    EXPECT_EQ(pictureFormatOf(mangled, sizeof mangled), PictureFormat::Unknown);
    EXPECT_EQ(pictureFormatOf(nullptr, 100), PictureFormat::Unknown);
}

}  // namespace
