#include "WizardFakes.h"
#include "wizard/CaptionLabel.h"
#include "wizard/PagePicture.h"
#include "wizard/Slideshow.h"
#include "wizard/TextLabel.h"

namespace {

using fake::DrawOp;
using Lines = std::vector<std::string>;

class Labels : public wizfake::WizardTest {};

TEST_F(Labels, ATextLabelDrawsItsShadowThenItsTextWithItsAlignments) {
    TextLabel label;
    label.x = 20;
    label.y = 325;
    label.width = 500;
    label.height = 30;
    label.horizontalAlign = 1;
    label.verticalAlign = 2;
    label.colour = 0xFEFFFFFF;
    label.draw(255, true);  // no text: nothing drawn, but clean
    EXPECT_EQ(drawing.count(DrawOp::Text), 0);
    EXPECT_FALSE(label.dirty);

    label.setText(u"Copying file \r\nC:\\x");
    EXPECT_TRUE(label.dirty);
    label.draw(200, false);
    // Shadow: black at 200 * 100 / 255 = 78; text: 0xFE * 200 / 255 = 199.
    EXPECT_EQ(ops({DrawOp::Text}),
              (Lines{"text 'Copying file \r\nC:\\x' 12 (21,326 500x30) centre/far 4E000000",
                     "text 'Copying file \r\nC:\\x' 12 (20,325 500x30) centre/far C7FFFFFF"}));
    drawing.clear();
    label.draw(200, false);
    EXPECT_TRUE(drawing.ops.empty());

    // Alignment values other than 1 and 2 are near.
    label.horizontalAlign = 7;
    label.verticalAlign = 0;
    label.draw(255, true);
    EXPECT_EQ(drawing.ops[2].format,
              (platform::TextFormat{platform::Align::Near, platform::Align::Near}));
}

TEST_F(Labels, ACaptionIsMeasuredWhenItsTextOrSizeChangesNeverWhenItDraws) {
    CaptionLabel caption;
    caption.create(u"License Agreement", 42, 47, 450);
    EXPECT_TRUE(caption.dirty);
    EXPECT_TRUE(caption.linesOn);
    EXPECT_EQ(caption.textColour, 0xFEFFFFFFu);
    EXPECT_EQ(caption.lineColour, 0xFEFFFFFFu);
    // 17 characters of 6 pixels, one line of 15.
    EXPECT_EQ(caption.measuredWidth, 102);
    EXPECT_EQ(caption.height, 15);
    caption.setFontSize(25);
    EXPECT_EQ(caption.measuredWidth, 213);  // 17 * 12.5 rounded up
    EXPECT_EQ(caption.height, 31);
    caption.setFontSize(25);  // the same size: not measured again
    caption.setText(u"Lizenzvereinbarung");
    EXPECT_EQ(ops({DrawOp::Measure}),
              (Lines{"measure 'License Agreement' 12 w450", "measure 'License Agreement' 25 w450",
                     "measure 'Lizenzvereinbarung' 25 w450"}));
    drawing.clear();
    caption.draw(255, true);
    caption.draw(255, true);
    EXPECT_EQ(drawing.count(DrawOp::Measure), 0);
}

TEST_F(Labels, ACaptionWithLinesDrawsShadowLinesLinesShadowTextTextAndBoldAbove20) {
    CaptionLabel caption;
    caption.create(u"License Agreement", 42, 47, 450);
    caption.setFontSize(25);  // measured 213 x 31
    caption.draw(255, false);
    // s = (450 - 213 - 10) / 2 = 113, cy = 47 + 31 / 2 = 62; shadow 255 * 80 / 255 = 80.
    EXPECT_EQ(ops({DrawOp::Line, DrawOp::Text}),
              (Lines{"line 43,62-156,62 50000000", "line 380,62-493,62 50000000",
                     "line 42,61-155,61 FEFFFFFF", "line 379,61-492,61 FEFFFFFF",
                     "text 'License Agreement' 25b (268,63 0x0) centre/centre 50000000",
                     "text 'License Agreement' 25b (267,61 0x0) centre/centre FEFFFFFF"}));

    // Size 20 is regular; the lines still come without a text.
    caption.setFontSize(20);
    caption.setText(u"");
    drawing.clear();
    caption.draw(100, false);
    EXPECT_EQ(drawing.count(DrawOp::Line), 4);
    EXPECT_EQ(drawing.count(DrawOp::Text), 0);
    caption.setText(u"x");
    drawing.clear();
    caption.draw(100, false);
    EXPECT_FALSE(drawing.ops.back().font.bold);
}

TEST_F(Labels, ACaptionWithoutLinesIsOneTextCentredAThirdIntoItsBox) {
    CaptionLabel caption;
    caption.create(u"Select Language:", 55, 338, 100);
    caption.setFontSize(14);
    caption.linesOn = false;
    caption.textColour = 0xFEFFFFFF;
    caption.draw(128, false);
    EXPECT_EQ(ops({DrawOp::Line, DrawOp::Text}),
              (Lines{"text 'Select Language:' 14 (88,339 0x0) centre/centre 7FFFFFFF"}));
}

TEST_F(Labels, APagePictureDrawsWheneverCalledAndNothingWithoutItsPicture) {
    pictures.addResource(204, u"BMP", wizfake::bmp(536, 304));
    PagePicture page;
    EXPECT_FALSE(page.load(205));
    page.draw(255);
    EXPECT_TRUE(drawing.ops.empty());
    // A "PNG" resource of the id is no page picture.
    pictures.addResource(236, u"PNG", wizfake::png(536, 304));
    EXPECT_FALSE(page.load(236));

    ASSERT_TRUE(page.load(204));
    EXPECT_TRUE(page.dirty);
    EXPECT_EQ(page.x, 1);
    EXPECT_EQ(page.y, 1);
    page.draw(51);
    page.draw(255);  // clean, drawn all the same
    EXPECT_EQ(ops({DrawOp::Picture}), (Lines{"picture 1,1 536x304 0.2", "picture 1,1 536x304 1"}));
    EXPECT_FALSE(page.dirty);
}

class Slides : public wizfake::WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            table.slots[i] = pictures.decode(wizfake::bmp(536 + i, 304).data(), 54);
        }
        show.frames = &table;
        show.x = show.y = 1;
    }
    // The width of the picture each draw showed.
    std::vector<int> widthsDrawn() const {
        std::vector<int> out;
        for (const DrawOp& op : drawing.ops) {
            if (op.kind == DrawOp::Picture) out.push_back(op.rect.width);
        }
        return out;
    }

    PictureTable table;
    Slideshow show;
};

TEST_F(Slides, TheNextPictureComesOnEvery122ndDrawAtAFifthOfTheAlpha) {
    for (int i = 0; i < 122 * 3 + 1; ++i) show.draw(255, true);
    std::vector<int> widths = widthsDrawn();
    ASSERT_EQ(widths.size(), 367u);
    EXPECT_EQ(widths[0], 536);
    EXPECT_EQ(widths[120], 536);
    EXPECT_EQ(widths[121], 537);  // the 122nd draw
    EXPECT_EQ(widths[242], 537);
    EXPECT_EQ(widths[243], 538);
    EXPECT_EQ(widths[365], 536);  // past the last filled slot: the first again
    EXPECT_EQ(drawing.ops[1].str(), "picture 1,1 536x304 0.2");
    EXPECT_EQ(table.current, 0);

    // Not dirty and not forced: not drawn and not counted.
    int counted = show.drawCount;
    drawing.clear();
    show.draw(255, false);
    EXPECT_TRUE(drawing.ops.empty());
    EXPECT_EQ(show.drawCount, counted);
    show.dirty = true;
    show.draw(100, false);
    EXPECT_NEAR(drawing.ops[1].opacity, 100.0f / 255 / 5, 1e-6);
}

TEST_F(Slides, AFullTableWrapsAfterSlotNineAndOnePictureStaysAtEveryAdvance) {
    for (int i = 3; i < kPictureSlots; ++i) {
        table.slots[i] = pictures.decode(wizfake::bmp(536 + i, 304).data(), 54);
    }
    table.current = 9;
    show.drawCount = 121;
    show.draw(255, true);
    EXPECT_EQ(table.current, 0);

    PictureTable one;
    one.slots[0] = pictures.decode(wizfake::bmp(600, 304).data(), 54);
    show.frames = &one;
    show.drawCount = 121;
    show.draw(255, true);
    EXPECT_EQ(one.current, 0);
    EXPECT_EQ(widthsDrawn().back(), 600);

    // No frames at all: the draw is counted and draws nothing.
    show.frames = nullptr;
    drawing.clear();
    show.draw(255, true);
    EXPECT_EQ(drawing.count(DrawOp::Picture), 0);
}

TEST_F(Slides, ASinglePictureIsDrawnAtTheFullAlpha) {
    show.frames = nullptr;
    show.singlePicture = pictures.decode(wizfake::png(536, 304).data(), 25);
    show.draw(204, true);
    EXPECT_EQ(ops({DrawOp::Picture}), (Lines{"picture 1,1 536x304 0.8"}));
    // A picture in an error state has no size to draw.
    show.singlePicture = pictures.decode(reinterpret_cast<const std::uint8_t*>("junk"), 4);
    drawing.clear();
    show.draw(255, true);
    EXPECT_EQ(drawing.count(DrawOp::Picture), 0);
}

}  // namespace
