#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "package/ImageBundle.h"
#include "package/ResourcePicture.h"
#include "platform/win32/Win32Pictures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The raw bytes of a test resource (the loaders under test never see this type).
Bytes testData(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"TESTDATA");
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    auto* p = static_cast<const std::uint8_t*>(LockResource(loaded));
    return p ? Bytes(p, p + SizeofResource(nullptr, found)) : Bytes{};
}

void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

void append(Bytes& bundle, const Bytes& picture) {
    put32(bundle, std::uint32_t(picture.size()));
    bundle.insert(bundle.end(), picture.begin(), picture.end());
}

class GdiplusPictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { session_ = new win32::GdiplusSession; }
    static void TearDownTestSuite() {
        delete session_;
        session_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(session_->started());
        saved_ = platform::os().pictures;
        platform::os().pictures = &pictures_;
    }
    void TearDown() override { platform::os().pictures = saved_; }

    static std::pair<unsigned, unsigned> sizeOf(platform::Picture* picture) {
        unsigned w = 0, h = 0;
        if (!picture || !picture->dimensions(w, h)) return {0, 0};
        return {w, h};
    }

private:
    static win32::GdiplusSession* session_;
    win32::Win32Pictures pictures_;
    platform::Pictures* saved_ = nullptr;
};

win32::GdiplusSession* GdiplusPictures::session_ = nullptr;

TEST_F(GdiplusPictures, ResourcePicturesLoadByIdAndTypeOnly) {
    auto png = loadResourcePicture(200, kPngResource);
    auto bmp = loadResourcePicture(204, kBmpResource);
    EXPECT_EQ(sizeOf(png.get()), std::make_pair(6u, 4u));
    EXPECT_EQ(sizeOf(bmp.get()), std::make_pair(3u, 2u));
    ASSERT_NE(bmp, nullptr);
    EXPECT_NE(bmp->image(), nullptr);
    // 204 is a "BMP" resource; a missing id gives nothing either.
    EXPECT_EQ(loadResourcePicture(204, kPngResource), nullptr);
    EXPECT_EQ(loadResourcePicture(200, kBmpResource), nullptr);
    EXPECT_EQ(loadResourcePicture(236, kBmpResource), nullptr);
    // Loaded twice, each is its own image.
    auto again = loadResourcePicture(204, kBmpResource);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->image(), bmp->image());
}

TEST_F(GdiplusPictures, ResourcePicturesOutliveOneAnother) {
    // The image reads from its own copy: dropping one picture leaves the other drawable.
    auto first = loadResourcePicture(200, kPngResource);
    auto second = loadResourcePicture(200, kPngResource);
    first.reset();
    EXPECT_EQ(sizeOf(second.get()), std::make_pair(6u, 4u));
}

TEST_F(GdiplusPictures, BundleDecodesEveryPictureInOrder) {
    Bytes png = testData(300), bmp = testData(301);
    ASSERT_FALSE(png.empty());
    ASSERT_FALSE(bmp.empty());
    Bytes garbage(40, 'x');
    garbage[0] = 'B';
    garbage[1] = 'M';

    Bytes bundle;
    put32(bundle, 4);
    append(bundle, bmp);
    append(bundle, garbage);  // GDI+ cannot read it: the slot holds a picture in error state
    append(bundle, png);
    append(bundle, bmp);

    PictureTable table;
    EXPECT_TRUE(loadImageBundle(bundle.data(), bundle.size(), table));
    EXPECT_EQ(sizeOf(table.slots[0].get()), std::make_pair(3u, 2u));
    ASSERT_NE(table.slots[1], nullptr);
    EXPECT_EQ(sizeOf(table.slots[1].get()), std::make_pair(0u, 0u));
    EXPECT_EQ(table.slots[1]->image(), nullptr);
    EXPECT_EQ(sizeOf(table.slots[2].get()), std::make_pair(6u, 4u));
    EXPECT_EQ(sizeOf(table.slots[3].get()), std::make_pair(3u, 2u));
    EXPECT_EQ(table.slots[4], nullptr);

    // The pictures own their data: the bundle's memory can go before they are used.
    std::fill(bundle.begin(), bundle.end(), 0);
    bundle.clear();
    bundle.shrink_to_fit();
    EXPECT_EQ(sizeOf(table.slots[2].get()), std::make_pair(6u, 4u));

    // A second load replaces what it reaches.
    Bytes one;
    put32(one, 1);
    append(one, png);
    EXPECT_TRUE(loadImageBundle(one.data(), one.size(), table));
    EXPECT_EQ(sizeOf(table.slots[0].get()), std::make_pair(6u, 4u));
    EXPECT_EQ(sizeOf(table.slots[3].get()), std::make_pair(3u, 2u));
}

}  // namespace
