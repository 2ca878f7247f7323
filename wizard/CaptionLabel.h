// A measured caption, centred in its box, optionally between two horizontal lines that run
// from the box's edges towards the text.
#pragma once

#include <string>

#include "wizard/Widget.h"

class CaptionLabel : public Widget {
public:
    void create(std::u16string_view text, int x, int y, int width);
    void setFontSize(float size);
    void setText(std::u16string_view text);
    void draw(std::uint8_t alpha, bool force) override;
    bool restoreRect(platform::Rect& rect) const override;
    // Measures the text in its size and box (nothing while widget graphics wait).
    void measure();

    bool linesOn = false;
    int x = 0, y = 0;
    int width = 0;   // the box
    int height = 0;  // the measured text height
    int measuredWidth = 0, measuredHeight = 0;
    std::u16string text;
    float fontSize = 12;
    std::uint32_t textColour = 0, lineColour = 0;
};
