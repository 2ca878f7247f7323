#include "WizardFakes.h"
#include "wizard/ImageButton.h"

namespace {

using fake::DrawOp;
using wizfake::png;

class Button : public wizfake::WizardTest {
protected:
    // A frame-and-caption button like Browse, hit rectangle (274, 343)-(355, 367).
    ImageButton textButton() {
        ImageButton b;
        b.createWithoutPicture(274, 345);
        b.width = 81;
        b.height = 24;
        b.hitLeft = 274;
        b.hitTop = 343;
        b.hitRight = 355;
        b.hitBottom = 367;
        b.flags = kDrawFrame;
        b.normalColour = 0xFE969696;
        b.pressedColour = 0xFEC8C8C8;
        b.hoverColour = 0xFEFFFFFF;
        b.setText(u"Browse");
        return b;
    }
};

TEST_F(Button, APictureButtonTakesItsSizeAndDefaultsFromThePicture) {
    pictures.addResource(210, u"PNG", png(60, 16));
    ImageButton b;
    b.setText(u"old");
    ASSERT_TRUE(b.createWithPicture(230, 330, 210));
    EXPECT_EQ(b.x, 230);
    EXPECT_EQ(b.y, 330);
    EXPECT_EQ(b.width, 60);
    EXPECT_EQ(b.height, 16);
    EXPECT_EQ(b.hitLeft, 0);
    EXPECT_EQ(b.hitTop, 0);
    EXPECT_EQ(b.hitRight, 290);
    EXPECT_EQ(b.hitBottom, 346);
    EXPECT_EQ(b.flags, kDrawPicture);
    EXPECT_EQ(b.normalColour, 0xFE00A0E9u);
    EXPECT_EQ(b.pressedColour, 0xFEFFFFFFu);
    EXPECT_EQ(b.hoverColour, 0xFEFFFFFFu);
    EXPECT_EQ(b.fontSize, 12);
    EXPECT_TRUE(b.dirty);
    EXPECT_TRUE(b.enabled);
    EXPECT_TRUE(b.text.empty());

    // A missing picture: false, the old picture gone, and the button still disabled if new.
    EXPECT_FALSE(b.createWithPicture(230, 330, 211));
    EXPECT_EQ(b.normalPicture, nullptr);
    ImageButton fresh;
    EXPECT_FALSE(fresh.createWithPicture(1, 1, 211));
    EXPECT_FALSE(fresh.enabled);
    EXPECT_FALSE(fresh.pressTest(1, 1, true));
}

TEST_F(Button, DrawsPictureFrameAndCaptionAtTheAlphaWithTheCaptionInTheHoverColour) {
    pictures.addResource(210, u"PNG", png(60, 16));
    ImageButton b;
    ASSERT_TRUE(b.createWithPicture(370, 329, 210));
    b.flags = kDrawPicture | kDrawFrame;
    b.hitLeft = 370;
    b.hitTop = 330;
    b.normalColour = 0xFE969696;
    b.pressedColour = 0x78C8C8C8;
    b.hoverColour = 0xFE00FF00;
    b.setText(u"de");
    b.draw(128, false);
    // 0xFE * 128 / 255 = 127.5 and 0x78 * 128 / 255 = 60.2: the fractions are dropped.
    EXPECT_EQ(ops({DrawOp::Paint, DrawOp::Picture, DrawOp::Frame, DrawOp::Text, DrawOp::EndPaint}),
              (std::vector<std::string>{
                  "paint canvas", "picture 370,329 60x16 0.501961", "frame 370,330 60x16 7F969696",
                  "text 'de' 12 (370,328 60x16) centre/centre 7F00FF00", "end"}));
    EXPECT_EQ(drawing.ops[1].picture, b.normalPicture.get());
    EXPECT_FALSE(b.dirty);

    drawing.clear();
    b.draw(255, false);  // clean and not forced: nothing at all
    EXPECT_TRUE(drawing.ops.empty());

    ASSERT_TRUE(b.pressTest(370, 330, true));
    b.draw(255, false);
    EXPECT_EQ(ops({DrawOp::Frame, DrawOp::Text}),
              (std::vector<std::string>{"frame 370,330 60x16 78C8C8C8",
                                        "text 'de' 12 (370,328 60x16) centre/centre FE00FF00"}));
}

TEST_F(Button, AFrameWithoutHitCornerTakesTheDrawOriginOnItsFirstDraw) {
    ImageButton b;
    b.createWithoutPicture(40, 50);
    b.width = 10;
    b.height = 5;
    b.flags = kDrawFrame;
    b.draw(255, true);
    EXPECT_EQ(b.hitLeft, 40);
    EXPECT_EQ(b.hitTop, 50);
    EXPECT_EQ(ops({DrawOp::Frame}), (std::vector<std::string>{"frame 40,50 10x5 FE00A0E9"}));
    // Without the frame flag, nothing sets the corner; without text, no text is drawn.
    ImageButton plain;
    plain.createWithoutPicture(40, 50);
    drawing.clear();
    plain.draw(255, true);
    EXPECT_EQ(plain.hitLeft, 0);
    EXPECT_EQ(drawing.count(DrawOp::Frame) + drawing.count(DrawOp::Text), 0);
}

TEST_F(Button, PressAndHoverIncludeTheLeftAndTopEdgesAndReleaseNeedsTheStrictInside) {
    ImageButton b = textButton();
    // Press: left/top edges inside, right/bottom edges outside.
    EXPECT_TRUE(b.pressTest(274, 343, true));
    EXPECT_EQ(b.state, ButtonState::Pressed);
    EXPECT_FALSE(b.pressTest(355, 350, true));
    EXPECT_EQ(b.state, ButtonState::Normal);
    EXPECT_FALSE(b.pressTest(300, 367, true));
    EXPECT_TRUE(b.pressTest(354, 366, true));
    // Another button took the press: back to Normal even inside.
    b.dirty = false;
    EXPECT_FALSE(b.pressTest(300, 350, false));
    EXPECT_EQ(b.state, ButtonState::Normal);
    EXPECT_TRUE(b.dirty);

    int clicks = 0;
    b.onClick = [&] { ++clicks; };
    // A release exactly on the left or top edge fires nothing.
    for (auto [x, y] : {std::pair{274, 350}, std::pair{300, 343}, std::pair{354, 366}}) {
        ASSERT_TRUE(b.pressTest(x, y, true));
        b.releaseTest(x, y);
    }
    EXPECT_EQ(clicks, 1);  // only (354, 366) lies strictly inside
    EXPECT_EQ(b.state, ButtonState::Hover);
    ASSERT_TRUE(b.pressTest(275, 344, true));
    b.releaseTest(275, 344);
    EXPECT_EQ(clicks, 2);
    // Pressed inside, released outside: no click, Normal.
    ASSERT_TRUE(b.pressTest(300, 350, true));
    b.releaseTest(400, 350);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(b.state, ButtonState::Normal);
}

TEST_F(Button, HoverFollowsThePointerButAPressSurvivesMoves) {
    ImageButton b = textButton();
    EXPECT_TRUE(b.hoverTest(274, 343, true));
    EXPECT_EQ(b.state, ButtonState::Hover);
    b.dirty = false;
    EXPECT_FALSE(b.hoverTest(280, 350, true));  // already hovered: no change
    EXPECT_FALSE(b.dirty);
    EXPECT_FALSE(b.hoverTest(355, 350, true));  // right edge is outside
    EXPECT_EQ(b.state, ButtonState::Normal);
    EXPECT_TRUE(b.dirty);
    EXPECT_TRUE(b.hoverTest(300, 350, true));
    EXPECT_FALSE(b.hoverTest(300, 350, false));  // another button took the pointer
    EXPECT_EQ(b.state, ButtonState::Normal);

    ASSERT_TRUE(b.pressTest(300, 350, true));
    EXPECT_FALSE(b.hoverTest(10, 10, true));
    EXPECT_EQ(b.state, ButtonState::Pressed);
    EXPECT_FALSE(b.hoverTest(10, 10, false));
    EXPECT_EQ(b.state, ButtonState::Normal);

    // A release while hovered only clears the hover; in Normal nothing changes.
    ASSERT_TRUE(b.hoverTest(300, 350, true));
    b.releaseTest(300, 350);
    EXPECT_EQ(b.state, ButtonState::Normal);
    b.dirty = false;
    b.releaseTest(300, 350);
    EXPECT_FALSE(b.dirty);
}

TEST_F(Button, ADisabledButtonIgnoresThePointer) {
    ImageButton b = textButton();
    b.enabled = false;
    int clicks = 0;
    b.onClick = [&] { ++clicks; };
    b.state = ButtonState::Pressed;
    EXPECT_FALSE(b.pressTest(300, 350, true));
    EXPECT_FALSE(b.hoverTest(10, 10, true));
    b.releaseTest(300, 350);
    EXPECT_EQ(b.state, ButtonState::Pressed);
    EXPECT_EQ(clicks, 0);
}

TEST_F(Button, AClickActionMayReplaceItself) {
    ImageButton b = textButton();
    int first = 0, second = 0;
    b.onClick = [&] {
        ++first;
        b.onClick = [&] { ++second; };
    };
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(b.pressTest(300, 350, true));
        b.releaseTest(300, 350);
    }
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}

}  // namespace
