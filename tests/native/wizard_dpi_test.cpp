// The wizard on dense screens: at 144 and 192 DPI every rectangle, line, picture, text size and
// copy of the 96-DPI layout reaches the canvas scaled by the same rounding, clicks and touches
// land on the scaled buttons, and a change of density remakes and redraws the window.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "WizardFakes.h"
#include "run/RunStart.h"
#include "tests/support/WizardMachine.h"
#include "wizard/AccessibleWizard.h"
#include "wizard/DisplayScale.h"
#include "wizard/PointerInput.h"
#include "wizard/ScaledDrawing.h"
#include "wizard/Surface.h"
#include "wizard/TouchInput.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

namespace {

using fake::DrawOp;
using Lines = std::vector<std::string>;

// The rounding the screen is expected to get, worked out apart from the wizard's own.
int edge(int v, unsigned dpi) {
    return int(std::floor(double(v) * dpi / 96.0 + 0.5));
}

platform::Rect cells(const platform::Rect& r, unsigned dpi) {
    int left = edge(r.x, dpi), top = edge(r.y, dpi);
    return {left, top, edge(r.x + r.width, dpi) - left, edge(r.y + r.height, dpi) - top};
}

DrawOp fill(const platform::Rect& r, std::uint32_t colour, unsigned dpi) {
    DrawOp op;
    op.kind = DrawOp::Fill;
    op.rect = cells(r, dpi);
    op.colour = colour;
    return op;
}

// What a 96-DPI operation must become at the density: a one-pixel line or frame turns into
// fills of the scaled pixel cells it covered.
Lines expectedAt(const DrawOp& op, unsigned dpi) {
    float f = float(dpi) / 96.0f;
    DrawOp s = op;
    const platform::Rect& r = op.rect;
    switch (op.kind) {
        case DrawOp::Frame: {
            Lines out = {fill({r.x, r.y, r.width + 1, 1}, op.colour, dpi).str()};
            if (r.height > 0)
                out.push_back(fill({r.x, r.y + r.height, r.width + 1, 1}, op.colour, dpi).str());
            out.push_back(fill({r.x, r.y + 1, 1, r.height - 1}, op.colour, dpi).str());
            if (r.width > 0)
                out.push_back(
                    fill({r.x + r.width, r.y + 1, 1, r.height - 1}, op.colour, dpi).str());
            return out;
        }
        case DrawOp::Line:
            // Every line of the wizard is horizontal: from (x, y) to (width, height).
            EXPECT_EQ(r.y, r.height) << op.str();
            return {fill({r.x, r.y, r.width - r.x + 1, 1}, op.colour, dpi).str()};
        case DrawOp::Fill:
        case DrawOp::Picture:
        case DrawOp::Clip:
        case DrawOp::Copy:
            s.rect = cells(r, dpi);
            return {s.str()};
        case DrawOp::Push:
            s.rect.width = edge(r.width, dpi);
            s.rect.height = edge(r.height, dpi);
            return {s.str()};
        case DrawOp::Text:
            s.font.size = op.font.size * f;
            s.layout = {op.layout.x * f, op.layout.y * f, op.layout.width * f,
                        op.layout.height * f};
            if (op.brush.gradient) s.brush.area = cells(op.brush.area, dpi);
            return {s.str()};
        default:
            return {s.str()};
    }
}

class Dpi : public wizfake::WizardTest {
protected:
    void TearDown() override {
        setDisplayDpi(kDesignDpi);
        WizardTest::TearDown();
    }

    std::vector<DrawOp> composeAt(unsigned dpi, int page) {
        rescaleWindowSurface(dpi, windowSurface.windowPos);
        show(page);
        drawing.clear();
        ComposeFullFrame();
        return drawing.ops;
    }

    // The page composed at 96 DPI and at `dpi`: every operation the filter keeps, scaled.
    template <typename Keep>
    void expectScaledCompose(int page, unsigned dpi, Keep keep) {
        std::vector<DrawOp> design = composeAt(96, page);
        std::vector<DrawOp> dense = composeAt(dpi, page);
        Lines expected, got;
        for (const DrawOp& op : design) {
            if (!keep(op)) continue;
            for (std::string& line : expectedAt(op, dpi)) expected.push_back(std::move(line));
        }
        for (const DrawOp& op : dense) {
            if (keep(op)) got.push_back(op.str());
        }
        EXPECT_EQ(got, expected) << "page " << page << " at " << dpi << " DPI";
    }
};

TEST(DisplayScaleEdges, EveryScreenPixelBelongsToTheLayoutPixelWhoseScaledCellHoldsIt) {
    for (unsigned dpi : {96u, 120u, 144u, 168u, 192u, 288u}) {
        setDisplayDpi(dpi);
        for (int v = -60; v < 700; ++v) {
            ASSERT_EQ(scaledEdge(v), edge(v, dpi)) << v << " at " << dpi;
            ASSERT_LE(scaledEdge(v), scaledEdge(v + 1));
            for (int pixel = scaledEdge(v); pixel < scaledEdge(v + 1); ++pixel) {
                ASSERT_EQ(layoutCoordinate(pixel), v) << pixel << " at " << dpi;
            }
        }
    }
    setDisplayDpi(kDesignDpi);
}

TEST(DisplayScaleEdges, DensitiesOutsideTheRangeAreHeldAtItsEnds) {
    setDisplayDpi(0);
    EXPECT_EQ(displayDpi(), 96u);
    setDisplayDpi(72);
    EXPECT_EQ(displayDpi(), 96u);
    EXPECT_TRUE(unitScale());
    setDisplayDpi(4000000000u);
    EXPECT_EQ(displayDpi(), 384u);
    // Far from zero the arithmetic neither overflows nor loses the rounding.
    EXPECT_EQ(scaledEdge(500000000), 2000000000);
    EXPECT_EQ(layoutCoordinate(2000000003), 500000000);
    setDisplayDpi(96);
    EXPECT_EQ(layoutCoordinate(2147483647), 2147483647);
    EXPECT_EQ(layoutCoordinate(-2147483647 - 1), -2147483647 - 1);
    setDisplayDpi(kDesignDpi);
}

TEST_F(Dpi, TheWindowGrowsWithTheDensityAndIsCentredAsBefore) {
    for (auto [dpi, width, height] :
         {std::tuple{96u, 538, 375}, {144u, 807, 563}, {192u, 1076, 750}}) {
        host.cursorX = 2500;
        host.cursorY = 100;
        host.monitors = {{0, 0, 1920, 1080}, {1920, 0, 3840, 2160}};
        placeWindow(dpi);
        EXPECT_EQ(windowSurface.windowSize, (platform::Size{width, height})) << dpi;
        EXPECT_EQ(windowSurface.windowPos,
                  (platform::Point{1920 + (1920 - width) / 2, (2160 - height) / 2}))
            << dpi;
    }
}

TEST_F(Dpi, EveryDrawingOfTheLanguageAndDevicePagesIsTheDesignScaled) {
    build();
    auto all = [](const DrawOp&) { return true; };
    for (unsigned dpi : {144u, 192u}) {
        expectScaledCompose(LanguagePage, dpi, all);
        expectScaledCompose(DevicePage, dpi, all);
    }
}

TEST_F(Dpi, TheLicencePageKeepsItsBoxesButtonsAndTextSizesScaled) {
    build();
    wizardWidgets.licenceView.setText(u"First line of the licence\r\n\r\nSecond line\r\n");
    wizardWidgets.pathLabel.setText(u"C:\\Program Files\\Vantrel\\Touch");
    // The title's rules sit at its measured middle, and a font twice as large is not measured
    // exactly twice as high: they are left to the text measure below. They are the lines in
    // the title's own colours (fills of the scaled pixel cells on a dense screen); every other
    // drawing must be the design's, scaled.
    std::u16string title = wizardWidgets.titleLabel.text;
    std::set<std::uint32_t> titleColours;
    for (const DrawOp& op : composeAt(96, LicencePage)) {
        if (op.kind == DrawOp::Text && op.text == title) titleColours.insert(op.brush.colours[0]);
    }
    ASSERT_EQ(titleColours.size(), 2u) << "the title and its shadow";
    auto notTitle = [&](const DrawOp& op) {
        if (op.kind == DrawOp::Text) return op.text != title;
        bool rule = op.kind == DrawOp::Line || op.kind == DrawOp::Fill;
        return !rule || !titleColours.count(op.colour);
    };
    // What the comparison holds: the four button frames, their labels, the line above them,
    // the licence's paragraphs and the folder, not only pictures.
    std::map<DrawOp::Kind, int> kept;
    std::set<std::u16string> texts;
    for (const DrawOp& op : composeAt(96, LicencePage)) {
        if (!notTitle(op)) continue;
        ++kept[op.kind];
        if (op.kind == DrawOp::Text) texts.insert(op.text);
    }
    EXPECT_EQ(kept[DrawOp::Frame], 4);
    EXPECT_EQ(kept[DrawOp::Line], 1);
    EXPECT_EQ(kept[DrawOp::Clip], 1);
    for (const char16_t* text : {u"x", u"Browse", u"Agree", u"Disagree", u"Second line\r\n",
                                 u"C:\\Program Files\\Vantrel\\Touch"}) {
        EXPECT_TRUE(texts.count(text)) << utf16ToUtf8(text);
    }
    expectScaledCompose(LicencePage, 192, notTitle);
}

TEST_F(Dpi, TextIsMeasuredAtTheScaledSizeAndComesBackInLayoutPixels) {
    build();
    setDisplayDpi(144);
    drawing.clear();
    // 12 px becomes 18 px, 100 pixels of width 150; the fake's 18 px line is 23 high (22.5
    // rounded), which is 15.33 layout pixels and so covers 16.
    EXPECT_EQ(measureLayoutText(u"abcd", 12, 100), (platform::Size{24, 16}));
    EXPECT_EQ(drawing.lines({DrawOp::Measure}), (Lines{"measure 'abcd' 18 w150"}));
    setDisplayDpi(192);
    EXPECT_EQ(measureLayoutText(u"abcd", 12, 100), (platform::Size{24, 15}));
    // An outline width comes back divided, not rounded.
    EXPECT_FLOAT_EQ(layoutPathWidth(u"abcd", {12, true}),
                    drawing.pathTextWidth(u"abcd", {24, true}) / 2);
}

TEST_F(Dpi, ANewDensityRemakesTheCanvasesAtTheSuggestedPlaceAndRedraws) {
    build();
    show(LicencePage);
    wizardState.windowAlpha = 255;
    ASSERT_EQ(wizardWidgets.licenceView.totalHeight, 0);
    rescaleWindowSurface(192, {40, 60});
    // Before its first text the licence has nothing to measure, at any density.
    EXPECT_EQ(wizardWidgets.licenceView.totalHeight, 0);
    Lines all = drawing.lines();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[0], "open 1076x750");
    // The background is painted anew at the new size, then a whole frame is pushed.
    EXPECT_EQ(all[1], "paint background");
    EXPECT_EQ(all[2], "fill 2,2 1072x746 FE3B7EC0");
    EXPECT_EQ(drawing.lines({DrawOp::Push}), (Lines{"push 40,60 1076x750 alpha 255"}));
    EXPECT_FALSE(drawing.lines({DrawOp::Measure}).empty());
    EXPECT_EQ(windowSurface.windowSize, (platform::Size{1076, 750}));

    // With a text, the paragraphs are measured again at the new size.
    wizardWidgets.licenceView.setText(u"One\r\nTwo\r\n");
    drawing.clear();
    rescaleWindowSurface(144, {40, 60});
    EXPECT_EQ(drawing.count(DrawOp::Measure), 4);  // two captions, two paragraphs
    EXPECT_EQ(wizardWidgets.licenceView.totalHeight, 30 + 16 + 16);

    drawing.clear();
    rescaleWindowSurface(96, {40, 60});
    EXPECT_EQ(drawing.lines()[0], "open 538x375");
    EXPECT_EQ(drawing.lines({DrawOp::Push}), (Lines{"push 40,60 538x375 alpha 255"}));
}

TEST_F(Dpi, ADensityChangeBeforeTheWindowIsShownOnlyResizesIt) {
    addPageResources();
    windowSurface.window = reinterpret_cast<void*>(0x5EED);
    ASSERT_TRUE(BuildWindowSurface());
    rescaleWindowSurface(144, {5, 6});
    EXPECT_TRUE(drawing.ops.empty());
    EXPECT_EQ(windowSurface.windowSize, (platform::Size{807, 563}));
    makeWindowGraphics();
    EXPECT_EQ(drawing.lines()[0], "open 807x563");
    DestroyWindowSurface();
}

TEST_F(Dpi, LanguageButtonsTakeTheirLargeLetteringOnDenseScreensWhenItIsWhole) {
    pictures.addResource(1210, u"PNG", wizfake::png(120, 32, 7));  // English, twice as large
    pictures.addResource(1207, u"PNG", {});                        // Chinese, emptied
    pictures.addResource(1229, u"PNG", wizfake::png(60, 16, 8));   // Italian, not larger
    build();
    auto size = [](int button) {
        unsigned w = 0, h = 0;
        wizardWidgets.languageButtons[button].normalPicture->dimensions(w, h);
        return platform::Size{int(w), int(h)};
    };
    EXPECT_EQ(size(1), (platform::Size{60, 16}));
    rescaleWindowSurface(192, {0, 0});
    EXPECT_EQ(size(1), (platform::Size{120, 32}));
    EXPECT_EQ(size(0), (platform::Size{60, 16}));
    EXPECT_EQ(size(2), (platform::Size{60, 16}));
    // Drawn into its own size: the layout's 60 x 16 doubled, no filtering.
    show(LanguagePage);
    drawing.clear();
    ComposeFullFrame();
    const platform::Picture* english = wizardWidgets.languageButtons[1].normalPicture.get();
    int drawn = 0;
    for (const DrawOp& op : drawing.ops) {
        if (op.kind != DrawOp::Picture || op.picture != english) continue;
        ++drawn;
        EXPECT_EQ(op.rect, (platform::Rect{460, 660, 120, 32}));
    }
    EXPECT_EQ(drawn, 1);
    // The button's place in the layout did not grow with its picture.
    platform::Rect restore;
    ASSERT_TRUE(wizardWidgets.languageButtons[1].restoreRect(restore));
    EXPECT_EQ(restore, (platform::Rect{230, 330, 60, 16}));
    rescaleWindowSurface(96, {0, 0});
    EXPECT_EQ(size(1), (platform::Size{60, 16}));
}

TEST_F(Dpi, ScreenReadersGetThePartsInTheWindowsPixels) {
    build();
    show(LanguagePage);
    setDisplayDpi(192);
    std::vector<platform::AccessItem> items = describeWizard();
    ASSERT_FALSE(items.empty());
    // The close button's hit rectangle (512, 7, 16, 16), doubled.
    EXPECT_EQ(items.back().rect, (platform::Rect{1024, 14, 32, 32}));
}

// The whole wizard started on a dense screen and clicked through at its pixels.
class DpiMachine : public testing::Test {
protected:
    void TearDown() override { setDisplayDpi(kDesignDpi); }
    testpkg::WizardMachine w;
};

TEST_F(DpiMachine, ButtonsAnswerAtTheirScaledRectanglesOnly) {
    w.host.windowDpi = 144;
    w.start();
    EXPECT_EQ(windowSurface.windowSize, (platform::Size{807, 563}));
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    // The English button's hit rectangle (230, 330)-(290, 346) covers pixels 345 to 434 and
    // 495 to 518 at 1.5 times.
    ImageButton& english = wizardWidgets.languageButtons[1];
    onMouseMove(344, 500);
    EXPECT_NE(english.state, ButtonState::Hover);
    onMouseMove(345, 495);
    EXPECT_EQ(english.state, ButtonState::Hover);
    onMouseMove(434, 519);
    EXPECT_NE(english.state, ButtonState::Hover);
    // A press just left of it drags the window instead.
    onMouseDown(344, 500);
    EXPECT_TRUE(wizardState.dragging);
    onMouseUp(344, 500);
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
    // Where the 96-DPI button would be, on the scaled window, is no button at all.
    w.click(235, 335);
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
    w.click(400, 510);
    EXPECT_EQ(wizardState.currentPage, LicencePage);
}

TEST_F(DpiMachine, AFingerScrollsTheLicenceAsFarAsItMovesOnTheScreen) {
    w.host.windowDpi = 192;
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    w.click(2 * 260, 2 * 338);  // English
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    LicenceView& view = wizardWidgets.licenceView;
    std::u16string text;
    for (int i = 0; i < 40; ++i) text += u"A line of the licence\r\n";
    view.setText(text);
    ASSERT_GT(view.totalHeight, 400);
    // Inside the doubled box (84, 152)-(984, 532), outside the 96-DPI one.
    ASSERT_TRUE(onTouchDown(600, 400));
    int start = view.scrollOffset;
    onTouchMove(600, 360);  // 40 screen pixels up: 20 of the layout
    EXPECT_EQ(view.scrollOffset, start + 20);
    onTouchUp();
    EXPECT_FALSE(onTouchDown(2 * 30, 2 * 100));  // left of the box
}

}  // namespace
