// The licence text scrolling up by itself inside a box, fading in at the top fifth and out at
// the bottom fifth; after its end comes a 30-pixel gap and the text again.
#pragma once

#include <string>
#include <vector>

#include "wizard/Widget.h"

struct Paragraph {
    int height = 0;
    std::u16string text;  // with its line breaks
};

constexpr int kLicenceGap = 30;
// After the reader moved the text, the automatic scroll waits this many ticks (about ten
// seconds) before it goes on from where the reader left it.
constexpr int kReadingPauseTicks = 300;

class LicenceView : public Widget {
public:
    // Copies the text, splits it into paragraphs and measures each; the scroll position stays.
    // While widget graphics wait, the paragraphs wait unmeasured (totalHeight stays 0).
    void setText(std::u16string_view text);
    // Measures the paragraphs a deferred setText left, and the total height.
    void measure();
    // One wizard tick: every second tick moves the text up one pixel.
    void scrollStep();
    // The reader's own scroll (keys, a finger): the offset kept within the text, from its
    // start to where its end reaches the bottom of the box, and the automatic scroll paused.
    // Nothing before the text is measured.
    void scrollTo(int offset);
    void scrollBy(int delta);
    // The largest offset the reader can scroll to.
    int lastReaderOffset() const;
    void draw(std::uint8_t alpha, bool force) override;
    bool restoreRect(platform::Rect& rect) const override;

    bool scrolling = false;
    int x = 0, y = 0, width = 0, height = 0;
    int totalHeight = 0;  // 0 until a text is set
    int scrollOffset = 0;
    int tickCount = 0;
    int readingPause = 0;  // ticks the automatic scroll still waits for the reader
    float fontSize = 12;
    std::uint32_t colour = 0;
    std::vector<Paragraph> paragraphs;
    bool measured = true;  // false while the paragraphs wait to be measured

private:
    // Draws the paragraphs from text position p on; false once p passed the box's bottom.
    void drawPass(platform::Painter& painter, int& p, bool checkFirst, const platform::Brush& text,
                  const platform::Brush& shadow, const platform::TextFont& font);
};

// The paragraphs of a licence text: one per non-empty line, carrying the blank lines that
// follow it (CR LF ends); text before the first non-empty line joins the first paragraph.
std::vector<std::u16string> splitParagraphs(std::u16string_view text);
