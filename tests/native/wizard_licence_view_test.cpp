#include "WizardFakes.h"
#include "wizard/LicenceView.h"

namespace {

using fake::DrawOp;
using Lines = std::vector<std::string>;

TEST(LicenceParagraphs, OneParagraphPerNonEmptyLineCarryingTheBlankLinesAfterIt) {
    using P = std::vector<std::u16string>;
    EXPECT_EQ(splitParagraphs(u"Title\r\n\r\nFirst line\r\nSecond\r\n"),
              (P{u"Title\r\n\r\n", u"First line\r\n", u"Second\r\n"}));
    // Blank lines before the first text join the first paragraph; the end closes the last.
    EXPECT_EQ(splitParagraphs(u"\r\n\r\nA\r\nB"), (P{u"\r\n\r\nA\r\n", u"B"}));
    // LF-only ends: a blank line starts the next paragraph instead of ending the previous one.
    EXPECT_EQ(splitParagraphs(u"A\n\nB\n"), (P{u"A\n", u"\nB\n"}));
    // A lone CR is a character of its line; only line breaks: one paragraph.
    EXPECT_EQ(splitParagraphs(u"A\rB\nC"), (P{u"A\rB\n", u"C"}));
    EXPECT_EQ(splitParagraphs(u"\r\n\n"), (P{u"\r\n\n"}));
    EXPECT_TRUE(splitParagraphs(u"").empty());
}

class Licence : public wizfake::WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        view.x = 42;
        view.y = 76;
        view.width = 450;
        view.height = 190;
        view.fontSize = 12;
        view.colour = 0xFEFFFFFF;
        view.scrollOffset = -95;
    }
    // The tops of the texts drawn with the text brush, in order.
    std::vector<int> tops() const {
        std::vector<int> out;
        for (const DrawOp& op : drawing.ops) {
            if (op.kind == DrawOp::Text && op.layout.x == 42) out.push_back(int(op.layout.y));
        }
        return out;
    }
    // n paragraphs of one 15-pixel line each.
    static std::u16string lines(int n) {
        std::u16string text;
        for (int i = 0; i < n; ++i)
            text += u"line " + std::u16string(1, char16_t(u'A' + i)) + u"\r\n";
        return text;
    }

    LicenceView view;
};

TEST_F(Licence, SettingATextMeasuresEachParagraphAndKeepsTheScrollPosition) {
    view.scrollOffset = 17;
    view.setText(u"Title\r\n\r\nBody\r\n");
    ASSERT_EQ(view.paragraphs.size(), 2u);
    EXPECT_EQ(view.paragraphs[0].height, 30);  // the title and its blank line
    EXPECT_EQ(view.paragraphs[1].height, 15);
    EXPECT_EQ(view.totalHeight, 30 + 45);
    EXPECT_EQ(view.scrollOffset, 17);
    EXPECT_TRUE(view.dirty);
    EXPECT_EQ(ops({DrawOp::Measure}),
              (Lines{"measure 'Title\r\n\r\n' 12 w450", "measure 'Body\r\n' 12 w450"}));
    // A second text replaces the paragraphs; the empty text leaves only the gap.
    view.setText(u"");
    EXPECT_TRUE(view.paragraphs.empty());
    EXPECT_EQ(view.totalHeight, 30);
}

TEST_F(Licence, ScrollsOnePixelEverySecondTickFromMinus95AndWrapsAtTheTotalHeight) {
    view.scrolling = true;
    view.scrollStep();
    EXPECT_EQ(view.scrollOffset, -95);  // before its first text the view never moves
    view.setText(lines(6));             // total 30 + 90
    view.dirty = false;
    view.scrollStep();
    EXPECT_EQ(view.scrollOffset, -95);
    EXPECT_FALSE(view.dirty);
    view.scrollStep();
    EXPECT_EQ(view.scrollOffset, -94);
    EXPECT_TRUE(view.dirty);
    for (int i = 0; i < 2 * 94; ++i) view.scrollStep();
    EXPECT_EQ(view.scrollOffset, 0);  // the negative start counts up to 0 unchanged
    for (int i = 0; i < 2 * 119; ++i) view.scrollStep();
    EXPECT_EQ(view.scrollOffset, 119);
    view.scrollStep();
    view.scrollStep();
    EXPECT_EQ(view.scrollOffset, 0);  // 120 is the total height: back to the start

    // The remainder keeps the dividend's sign: with a total below 95 the first step lands
    // inside (-total, 0).
    view.setText(lines(4));  // total 90
    view.scrollOffset = -95;
    view.scrollStep();
    view.scrollStep();
    EXPECT_EQ(view.scrollOffset, -94 % 90);

    view.scrolling = false;
    view.scrollStep();
    view.scrollStep();
    EXPECT_EQ(view.scrollOffset, -4);
}

TEST_F(Licence, DrawsClippedWithFadingBrushesAndOnlyTheParagraphsInView) {
    view.setText(lines(20));  // 300 pixels of text
    view.scrollOffset = 40;
    drawing.clear();
    view.draw(255, false);
    ASSERT_GE(drawing.ops.size(), 4u);
    EXPECT_EQ(drawing.ops[1].str(), "clip 42,76 450x190");
    const DrawOp& shadow = drawing.ops[2];
    const DrawOp& text = drawing.ops[3];
    EXPECT_EQ(shadow.str(),
              "text 'line C\r\n' 12 (43,67 450x32767) near/near gradient(43,77 450x190 "
              "00FFFFFF@0 64000000@0.2 64000000@0.8 00FFFFFF@1)");
    EXPECT_EQ(text.str(),
              "text 'line C\r\n' 12 (42,66 450x32767) near/near gradient(42,76 450x190 "
              "00FFFFFF@0 FEFFFFFF@0.2 FEFFFFFF@0.8 00FFFFFF@1)");
    // A (0-15) and B (15-30) lie above the offset; drawing stops once p passes 40 + 190.
    std::vector<int> expected;
    for (int p = 30; p <= 225; p += 15) expected.push_back(76 + p - 40);
    EXPECT_EQ(tops(), expected);
    EXPECT_EQ(drawing.count(DrawOp::Measure), 0);
}

TEST_F(Licence, AShortTextShowsTheGapAndTheTextAgainAndWrapsSeamlessly) {
    view.setText(lines(3));  // 45 pixels, total 75
    view.scrollOffset = 0;
    drawing.clear();
    view.draw(128, true);
    // The text, 30 pixels of gap, the text again.
    EXPECT_EQ(tops(), (std::vector<int>{76, 91, 106, 151, 166, 181}));
    const DrawOp& text = drawing.ops[3];
    EXPECT_EQ(text.brush.colours[1], 0x7FFFFFFFu);
    EXPECT_EQ(drawing.ops[2].brush.colours[1], 0x32000000u);

    // With the end of the text above the box, the gap comes first.
    view.scrollOffset = 60;
    drawing.clear();
    view.draw(128, true);
    EXPECT_EQ(tops(), (std::vector<int>{91, 106, 121}));
}

TEST_F(Licence, TheWrappedPassChecksTheBottomBeforeAddingEachParagraph) {
    view.height = 100;
    view.setText(lines(10));  // 150 pixels, total 180
    view.scrollOffset = 120;
    view.draw(255, true);
    // First pass: I and J; the gap to 180; wrapped: A at 180, B at 195, C at 210, and D at
    // 225, drawn before the check finds 225 past 120 + 100.
    EXPECT_EQ(tops(), (std::vector<int>{76, 91, 136, 151, 166, 181}));

    // A paragraph starting exactly at the bottom is not past it: the one after it is drawn too.
    view.scrollOffset = 125;
    drawing.clear();
    view.draw(255, true);
    EXPECT_EQ(tops(), (std::vector<int>{71, 86, 131, 146, 161, 176, 191}));

    // Before any text: clip and brushes, but no text.
    LicenceView empty;
    empty.width = empty.height = 10;
    drawing.clear();
    empty.draw(255, true);
    EXPECT_EQ(drawing.count(DrawOp::Clip), 1);
    EXPECT_EQ(drawing.count(DrawOp::Text), 0);
}

}  // namespace
