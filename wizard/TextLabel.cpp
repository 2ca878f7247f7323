#include "wizard/TextLabel.h"

platform::Align alignmentOf(std::uint8_t value) {
    if (value == 1) return platform::Align::Centre;
    if (value == 2) return platform::Align::Far;
    return platform::Align::Near;
}

void TextLabel::setText(std::u16string_view value) {
    text = std::u16string(value);
    dirty = true;
}

void TextLabel::draw(std::uint8_t alpha, bool force) {
    if (!dirty && !force) return;
    dirty = false;
    if (text.empty()) return;
    auto painter = canvasPainter();
    platform::TextFont font = makeFont(fontSize, false);
    platform::TextFormat format{alignmentOf(horizontalAlign), alignmentOf(verticalAlign)};
    platform::RectF box{float(x), float(y), float(width), float(height)};
    platform::RectF shadowBox = box;
    shadowBox.x += 1;
    shadowBox.y += 1;
    painter->text(text, font, shadowBox, format, platform::Brush::solid(shadowOf(alpha, 100)));
    painter->text(text, font, box, format, platform::Brush::solid(scaledByAlpha(colour, alpha)));
}

bool TextLabel::restoreRect(platform::Rect& rect) const {
    rect = {x, y, width, height};
    return true;
}
