// Text in a rectangle with a drop shadow one pixel down and right.
#pragma once

#include <string>

#include "wizard/Widget.h"

class TextLabel : public Widget {
public:
    void setText(std::u16string_view text);
    void draw(std::uint8_t alpha, bool force) override;
    bool restoreRect(platform::Rect& rect) const override;

    int x = 0, y = 0, width = 0, height = 0;
    // 0 near, 1 centre, 2 far.
    std::uint8_t horizontalAlign = 0, verticalAlign = 0;
    std::u16string text;  // empty: nothing to draw
    float fontSize = 12;
    std::uint32_t colour = 0;
};

// 1 centre, 2 far; every other value near.
platform::Align alignmentOf(std::uint8_t value);
