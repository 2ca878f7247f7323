// The pages drawn by the real GDI+ into the DIB-section canvas, read back pixel by pixel.
#include <windows.h>
// GDI+ needs the COM types the lean windows.h leaves out.
#include <objidl.h>
#include <wtypes.h>
// After the types above.
#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>

#include "WizardHarness.h"
#include "package/ResourcePicture.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

namespace wiz {
namespace {

constexpr std::uint32_t kBody = 0x3B7EC0;
constexpr std::uint32_t kGrey = 0x969696;

class Pages : public WizardSurface {
public:
    using WizardSurface::pixel;
    using WizardSurface::pixelsUnlike;

protected:
    // Colour of `argb` drawn over the straight colour `under`, both opaque enough to ignore
    // the destination's alpha.
    static Pixel blend(std::uint32_t argb, Pixel under) {
        int a = int(argb >> 24);
        auto mix = [&](int src, int dst) { return (src * a + dst * (255 - a) + 127) / 255; };
        return {255, mix(int(argb >> 16 & 255), under.r), mix(int(argb >> 8 & 255), under.g),
                mix(int(argb & 255), under.b)};
    }
    Pixel backgroundPixel(int x, int y) const {
        std::uint32_t v = drawing_.pixels(platform::Surface::Background)[y * 538 + x];
        int a = int(v >> 24);
        auto s = [&](int c) { return a ? std::min(255, (c * 255 + a / 2) / a) : 0; };
        return {a, s(int(v >> 16 & 255)), s(int(v >> 8 & 255)), s(int(v & 255))};
    }
    // Largest channel difference between the canvas and the background.
    int overlayStrength(const platform::Rect& r) const {
        int best = 0;
        for (int y = r.y; y < r.y + r.height; ++y) {
            for (int x = r.x; x < r.x + r.width; ++x) {
                Pixel c = pixel(x, y), b = backgroundPixel(x, y);
                best =
                    std::max({best, std::abs(c.r - b.r), std::abs(c.g - b.g), std::abs(c.b - b.b)});
            }
        }
        return best;
    }
};

// Pixels of the control strip below the separator, outside the given rectangles, that are not
// the body colour.
int stripPixelsUnlikeBody(const Pages& s, std::initializer_list<platform::Rect> holes) {
    int count = 0;
    for (int y = 306; y <= 373; ++y) {
        for (int x = 1; x <= 536; ++x) {
            bool inHole = std::any_of(holes.begin(), holes.end(), [&](const platform::Rect& r) {
                return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
            });
            if (!inHole) count += s.pixelsUnlike({x, y, 1, 1}, kBody);
        }
    }
    return count;
}

bool closeTo(Pixel a, Pixel b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

TEST_F(Pages, BorderBodyAndSeparatorLieWhereTheWindowGeometrySays) {
    applyLanguage(1033);
    composePage(DevicePage);
    for (auto [x, y] :
         {std::pair{0, 0}, {537, 0}, {0, 374}, {537, 374}, {0, 200}, {537, 200}, {300, 374}}) {
        Pixel p = pixel(x, y);
        EXPECT_EQ(p.a, 0xFE) << x << "," << y;
        EXPECT_EQ(p.rgb(), kGrey) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{1, 306}, {536, 373}, {10, 330}, {530, 360}}) {
        Pixel p = pixel(x, y);
        EXPECT_EQ(p.a, 0xFE) << x << "," << y;
        EXPECT_TRUE(closeTo(p, {0xFE, 0x3B, 0x7E, 0xC0}, 1)) << x << "," << y;
    }
    // The separator is the whole row 305, over the body's alpha; the picture ends at 304.
    EXPECT_EQ(pixelsUnlike({0, 305, 538, 1}, kGrey, 2), 0);
    EXPECT_EQ(pixelsUnlike({1, 306, 536, 1}, kBody, 1), 0);
    EXPECT_GT(pixelsUnlike({1, 304, 536, 1}, kBody, 1), 0);

    // The language page below 241 has no separator: row 305 is body.
    wizardState.pageAlpha[DevicePage] = 0;
    wizardState.pageAlpha[LanguagePage] = 240;
    ComposeFullFrame();
    EXPECT_EQ(pixelsUnlike({1, 305, 536, 1}, kBody, 1), 0);
}

TEST_F(Pages, TheCloseButtonFrameTakesTheColourOfItsState) {
    composePage(LanguagePage);
    // The page picture covers the button after a full compose; a repaint draws it on top.
    EXPECT_TRUE(closeTo(pixel(512, 15), backgroundPixel(512, 15), 1));
    ImageButton& close = wizardWidgets.closeButton;
    struct Step {
        std::uint32_t colour;
        void (*act)(ImageButton&);
    };
    const Step steps[] = {
        {0x78969696, [](ImageButton&) {}},
        {0x78FFFFFF, [](ImageButton& b) { b.hoverTest(512, 7, true); }},
        {0x78C8C8C8, [](ImageButton& b) { b.pressTest(520, 15, true); }},
        {0x78969696, [](ImageButton& b) { b.releaseTest(600, 15); }},
    };
    for (const Step& step : steps) {
        step.act(close);
        RepaintDirtyWidgets();
        Pixel expected = blend(step.colour, backgroundPixel(512, 15));
        EXPECT_TRUE(closeTo(pixel(512, 15), expected)) << std::hex << step.colour;
        // The frame's inside keeps the picture.
        EXPECT_TRUE(closeTo(pixel(514, 10), backgroundPixel(514, 10), 1));
    }
}

// Topmost row holding a light pixel inside the rectangle; -1 when there is none.
int firstLightRow(const Pages& s, const platform::Rect& r) {
    for (int y = r.y; y < r.y + r.height; ++y) {
        for (int x = r.x; x < r.x + r.width; ++x) {
            Pixel p = s.pixel(x, y);
            if (p.r + p.g + p.b > 3 * 225) return y;
        }
    }
    return -1;
}

int firstLightRowOfPicture(int resourceId) {
    auto picture = loadResourcePicture(resourceId, kPngResource);
    auto* bitmap = picture ? static_cast<Gdiplus::GpBitmap*>(picture->image()) : nullptr;
    if (!bitmap) return -1;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 60; ++x) {
            Gdiplus::ARGB argb = 0;
            Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, x, y, &argb);
            int a = int(argb >> 24),
                sum = int((argb >> 16 & 255) + (argb >> 8 & 255) + (argb & 255));
            if (a > 200 && sum > 3 * 225) return y;
        }
    }
    return -1;
}

TEST_F(Pages, TheGermanPictureSitsOneRowAboveItsFrame) {
    composePage(LanguagePage);
    int english = firstLightRowOfPicture(210), german = firstLightRowOfPicture(226);
    ASSERT_GE(english, 1);
    EXPECT_EQ(german, english + 2);  // the German lettering starts two rows lower
    EXPECT_EQ(firstLightRow(*this, {231, 331, 58, 14}), 330 + english);
    EXPECT_EQ(firstLightRow(*this, {371, 331, 58, 14}), 329 + german);
    // Both frames run along row 330 and row 346.
    for (int x : {240, 400}) {
        EXPECT_TRUE(closeTo(pixel(x, 330), {255, 0x96, 0x96, 0x96}, 1)) << x;
        EXPECT_TRUE(closeTo(pixel(x, 346), {255, 0x96, 0x96, 0x96}, 1)) << x;
    }
}

TEST_F(Pages, LabelTextLiesInsideItsRectangleAndNowhereElseInTheStrip) {
    applyLanguage(1033);
    composePage(DevicePage);
    EXPECT_GT(brightest({20, 335, 500, 30}), 3 * 235);
    EXPECT_EQ(stripPixelsUnlikeBody(*this, {{20, 335, 501, 31}}), 0);

    wizardWidgets.statusLabel.setText(u"Copying file \r\nC:\\Program Files (x86)\\Brenmark");
    composePage(ProgressPage);
    EXPECT_GT(brightest({20, 325, 500, 15}), 3 * 235);  // the first line
    EXPECT_GT(brightest({20, 340, 500, 15}), 3 * 235);  // the second line
    EXPECT_EQ(stripPixelsUnlikeBody(*this, {{20, 325, 501, 31}}), 0);

    composePage(LicencePage);
    EXPECT_GT(brightest({40, 318, 480, 27}), 3 * 235);
    // The three buttons: frames from row 343 to 367, text inside.
    for (int x : {274, 362, 450}) EXPECT_GT(brightest({x + 1, 344, 79, 22}), 3 * 235) << x;
    EXPECT_EQ(stripPixelsUnlikeBody(
                  *this,
                  {{40, 318, 481, 28}, {274, 343, 82, 25}, {362, 343, 82, 25}, {450, 343, 82, 25}}),
              0);
    // The caption: white text in its measured box, centred.
    const CaptionLabel& title = wizardWidgets.titleLabel;
    EXPECT_GT(brightest({title.x, title.y, title.width, title.height}), 3 * 235);
}

TEST_F(Pages, TheLicenceTextFadesInTheTopAndBottomFifth) {
    std::u16string text;
    for (int i = 0; i < 40; ++i) text += u"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW\r\n";
    wizardWidgets.licenceView.setText(text);
    wizardWidgets.licenceView.scrollOffset = 0;
    composePage(LicencePage);
    // Box 76..265: fifths of 38 rows. The text sits on top of the captured picture.
    int top = overlayStrength({42, 76, 450, 6});
    int upper = overlayStrength({42, 96, 450, 10});
    int middle = overlayStrength({42, 150, 450, 40});
    int bottom = overlayStrength({42, 259, 450, 7});
    EXPECT_LT(top, middle / 4);
    EXPECT_LT(top, upper);
    EXPECT_LT(upper, middle);
    EXPECT_LT(bottom, middle / 4);
    EXPECT_GT(middle, 120);
    // Nothing outside the box: the clip holds the overflowing text.
    EXPECT_LE(overlayStrength({42, 268, 450, 30}), 1);
}

TEST_F(Pages, TheSlideshowBuildsUpOverAboutTwentyDraws) {
    applyLanguage(1033);
    composePage(LanguagePage);
    composePage(ProgressPage);  // the first draw, over the language page's capture
    Slideshow& show = wizardWidgets.progressSlideshow;
    auto snapshot = [&] {
        std::vector<Pixel> out;
        for (int y = 1; y < 300; y += 7) {
            for (int x = 1; x < 537; x += 7) out.push_back(pixel(x, y));
        }
        return out;
    };
    std::vector<std::vector<Pixel>> frames = {snapshot()};
    for (int i = 0; i < 100; ++i) {
        show.dirty = true;
        RepaintDirtyWidgets();
        frames.push_back(snapshot());
    }
    auto distance = [&](int k) {
        long sum = 0;
        for (std::size_t i = 0; i < frames[k].size(); ++i) {
            const Pixel &a = frames[k][i], &b = frames.back()[i];
            sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
        }
        return double(sum);
    };
    double start = distance(0);
    ASSERT_GT(start, 0);
    EXPECT_GT(distance(5) / start, 0.2);  // still far after five draws
    EXPECT_LT(distance(10) / start, distance(5) / start);
    EXPECT_LT(distance(20) / start, 0.05);  // there after about twenty
}

}  // namespace
}  // namespace wiz
