#include "wizard/CaptionLabel.h"

namespace {

// Text placed in a 0 x 0 layout rectangle is centred on the point.
void centredOn(platform::Painter& painter, const std::u16string& text,
               const platform::TextFont& font, int cx, int cy, std::uint32_t colour) {
    painter.text(text, font, {float(cx), float(cy), 0, 0},
                 {platform::Align::Centre, platform::Align::Centre},
                 platform::Brush::solid(colour));
}

}  // namespace

void CaptionLabel::measure() {
    if (!widgetGraphics) return;
    platform::Size size = measureLayoutText(text, fontSize, width);
    measuredWidth = size.width;
    measuredHeight = size.height;
    height = measuredHeight;
}

void CaptionLabel::create(std::u16string_view value, int atX, int atY, int boxWidth) {
    dirty = linesOn = true;
    x = atX;
    y = atY;
    width = boxWidth;
    text = std::u16string(value);
    fontSize = 12;
    measure();
    textColour = lineColour = 0xFEFFFFFF;
}

void CaptionLabel::setFontSize(float size) {
    if (size == fontSize) return;
    fontSize = size;
    measure();
    dirty = true;
}

void CaptionLabel::setText(std::u16string_view value) {
    text = std::u16string(value);
    measure();
    dirty = true;
}

void CaptionLabel::draw(std::uint8_t alpha, bool force) {
    if (!dirty && !force) return;
    dirty = false;
    auto painter = canvasPainter();
    std::uint32_t textBrush = scaledByAlpha(textColour, alpha);
    std::uint32_t shadow = shadowOf(alpha, 80);
    std::uint32_t linePen = scaledByAlpha(lineColour, alpha);
    platform::TextFont font = makeFont(fontSize, fontSize > 20);
    if (!linesOn) {
        if (!text.empty()) centredOn(*painter, text, font, x + width / 3, y + 1, textBrush);
        return;
    }
    int s = (width - measuredWidth - 10) / 2;
    int cy = y + height / 2;
    painter->line(x + 1, cy, x + 1 + s, cy, shadow);
    painter->line(x + width - s + 1, cy, x + width + 1, cy, shadow);
    painter->line(x, cy - 1, x + s, cy - 1, linePen);
    painter->line(x + width - s, cy - 1, x + width, cy - 1, linePen);
    if (text.empty()) return;
    centredOn(*painter, text, font, x + width / 2 + 1, y + height / 2 + 1, shadow);
    centredOn(*painter, text, font, x + width / 2, y + height / 2 - 1, textBrush);
}

bool CaptionLabel::restoreRect(platform::Rect& rect) const {
    rect = {x, y, width, height};
    return true;
}
