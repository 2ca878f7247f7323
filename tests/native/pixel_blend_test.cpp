// The plain-code blending against what GDI+ itself left in a premultiplied canvas for the same
// drawing (values read back from GDI+ under Wine): a rounding that strays by one level shows
// up here before it shows up as a shade in a reference render.
#include <gtest/gtest.h>

#include <vector>

#include "platform/PixelBlend.h"

namespace {

struct Case {
    std::uint32_t under, colour, gdiplus;
};

TEST(PixelBlend, ASolidColourOverACanvasPixelGivesWhatGdiplusGives) {
    const Case cases[] = {
        {0xFE3B7EC0, 0xFE969696, 0xFF959596}, {0xFE3B7EC0, 0x78969696, 0xFE668AAD},
        {0xFE3B7EC0, 0x78FFFFFF, 0xFE97BBDE}, {0xFE3B7EC0, 0x28000000, 0xFE326AA2},
        {0xFE3B7EC0, 0x01FFFFFF, 0xFE3C7FC0}, {0xFE3B7EC0, 0x7F123456, 0xFE27598B},
        {0x00000000, 0x78969696, 0x78474747}, {0x00000000, 0x7F123456, 0x7F091A2B},
        {0xFFFFFFFF, 0x78969696, 0xFFCECECE}, {0x80402010, 0x78969696, 0xBC69584F},
        {0x80402010, 0x28000000, 0x94361B0D}, {0xFE969696, 0x78969696, 0xFE969696},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pixels::over(c.colour, c.under), c.gdiplus)
            << std::hex << c.colour << " over " << c.under;
    }
}

// The per-channel rule the blend is made of, written one channel at a time: each part rounded
// as (v + 127) / 255. Two channels at a time must give it for every alpha, colour and canvas
// value; a carry from one channel into its neighbour would show here as a wrong shade.
std::uint32_t overOneChannelAtATime(std::uint32_t straight, std::uint32_t under) {
    int a = int(straight >> 24), keep = 255 - a;
    if (a == 0) return under;
    std::uint32_t out = std::uint32_t(a + (int(under >> 24) * keep + 127) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        int c = int(straight >> shift & 255), u = int(under >> shift & 255);
        out |= std::uint32_t((c * a + 127) / 255 + (u * keep + 127) / 255) << shift;
    }
    return out;
}

TEST(PixelBlend, EveryAlphaColourAndCanvasValueGivesTheOneChannelRule) {
    long wrong = 0;
    std::uint32_t first = 0, firstUnder = 0;
    for (std::uint32_t a = 0; a < 256; ++a) {
        for (std::uint32_t c = 0; c < 256; ++c) {
            // Each channel its own value, so that channels mixed up or carried over differ.
            std::uint32_t straight = a << 24 | c << 16 | (255 - c) << 8 | (c ^ 0x5A);
            for (std::uint32_t u = 0; u < 256; ++u) {
                std::uint32_t under = (u * 7 & 255) << 24 | (u ^ 0xA5) << 16 | u << 8 | (255 - u);
                if (pixels::over(straight, under) != overOneChannelAtATime(straight, under)) {
                    if (wrong++ == 0) first = straight, firstUnder = under;
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0) << std::hex << "first: " << first << " over " << firstUnder;
}

TEST(PixelBlend, FillsAndCopiesStayInsideTheClipAndReportWhatChanged) {
    std::vector<std::uint32_t> a(8 * 6, 0xFE3B7EC0), b(8 * 6, 0xFE3B7EC0);
    pixels::Surface canvas{a.data(), 8, 6, 8}, background{b.data(), 8, 6, 8};
    platform::Rect changed = pixels::fill(canvas, {-2, 1, 20, 2}, {1, 0, 3, 6}, 0x78FFFFFF);
    EXPECT_EQ(changed, (platform::Rect{1, 1, 3, 2}));
    EXPECT_EQ(a[1 * 8 + 0], 0xFE3B7EC0u);
    EXPECT_EQ(a[1 * 8 + 1], 0xFE97BBDEu);
    EXPECT_EQ(a[2 * 8 + 4], 0xFE3B7EC0u);
    // Copying the clean background back changes exactly the rows that differed.
    EXPECT_EQ(pixels::copy(canvas, background, {0, 0, 8, 6}), (platform::Rect{0, 1, 8, 2}));
    EXPECT_EQ(a, b);
    EXPECT_TRUE(pixels::empty(pixels::copy(canvas, background, {0, 0, 8, 6})));
}

TEST(PixelBlend, GlyphCoverageTakesTheBrushAlphaInSixtyFiveLevels) {
    std::vector<std::uint32_t> a(4, 0xFE3B7EC0);
    pixels::Surface canvas{a.data(), 4, 1, 4};
    // Full, three quarters (190 of 254 rounds to level 48 of 64), none, the least.
    const std::uint8_t coverage[4] = {254, 190, 0, 1};
    pixels::Mask mask{coverage, 4, 1, 0, 0};
    pixels::blendMask(canvas, mask, {0, 0, 4, 1}, platform::Brush::solid(0x78FFFFFF));
    EXPECT_EQ(a[0], pixels::over(0x78FFFFFF, 0xFE3B7EC0));
    EXPECT_EQ(a[1], pixels::over((0x78u * 48 / 64) << 24 | 0xFFFFFF, 0xFE3B7EC0));
    EXPECT_EQ(a[2], 0xFE3B7EC0u);
    EXPECT_EQ(a[3], 0xFE3B7EC0u);  // level 0
}

TEST(PixelBlend, TheLicenceFadeIsClearAtItsEdgesAndFullInItsMiddle) {
    platform::Brush fade;
    fade.gradient = true;
    fade.area = {42, 76, 450, 190};
    const std::uint32_t colours[4] = {0x00FFFFFF, 0xFEFFFFFF, 0xFEFFFFFF, 0x00FFFFFF};
    const float stops[4] = {0.0f, 0.2f, 0.8f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        fade.colours[i] = colours[i];
        fade.positions[i] = stops[i];
    }
    EXPECT_EQ(pixels::gradientAt(fade, 76) >> 24, 0u);
    EXPECT_EQ(pixels::gradientAt(fade, 76 + 95), 0xFEFFFFFFu);
    std::uint32_t quarter = pixels::gradientAt(fade, 76 + 19) >> 24;  // half way up the fifth
    EXPECT_NEAR(double(quarter), 127.0, 2.0);
    // Tiled: the row above the area is the area's last row.
    EXPECT_EQ(pixels::gradientAt(fade, 75), pixels::gradientAt(fade, 76 + 189));
    EXPECT_LT(pixels::gradientAt(fade, 76 + 189) >> 24, 8u);
}

}  // namespace
