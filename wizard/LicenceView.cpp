#include "wizard/LicenceView.h"

#include <algorithm>

namespace {

constexpr float kStops[4] = {0.0f, 0.2f, 0.8f, 1.0f};
constexpr int kUnbounded = 32767;

bool isLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}

platform::Brush fade(const platform::Rect& area, std::uint32_t edge, std::uint32_t middle) {
    platform::Brush brush;
    brush.gradient = true;
    brush.area = area;
    std::uint32_t colours[4] = {edge, middle, middle, edge};
    for (int i = 0; i < 4; ++i) {
        brush.colours[i] = colours[i];
        brush.positions[i] = kStops[i];
    }
    return brush;
}

}  // namespace

std::vector<std::u16string> splitParagraphs(std::u16string_view text) {
    std::vector<std::u16string> out;
    std::size_t start = 0;
    bool holdsText = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text[i])) holdsText = true;
        bool nextIsCr = i + 1 < text.size() && text[i + 1] == u'\r';
        if (text[i] == u'\n' && holdsText && !nextIsCr) {
            out.emplace_back(text.substr(start, i + 1 - start));
            start = i + 1;
            holdsText = false;
        }
    }
    if (start < text.size()) out.emplace_back(text.substr(start));
    return out;
}

void LicenceView::setText(std::u16string_view text) {
    paragraphs.clear();
    for (std::u16string& part : splitParagraphs(text)) paragraphs.push_back({0, std::move(part)});
    measured = false;
    totalHeight = 0;
    measure();
    dirty = true;
}

void LicenceView::measure() {
    if (measured || !widgetGraphics) return;
    measured = true;
    totalHeight = kLicenceGap;
    for (Paragraph& paragraph : paragraphs) {
        paragraph.height = measureLayoutText(paragraph.text, fontSize, width).height;
        totalHeight += paragraph.height;
    }
}

void LicenceView::scrollStep() {
    if (!scrolling || totalHeight == 0) return;
    if (readingPause > 0) {
        --readingPause;
        return;
    }
    if (++tickCount > 1) {
        tickCount = 0;
        // C++'s remainder keeps the dividend's sign: the start offset of -95 counts up to 0.
        scrollOffset = (scrollOffset + 1) % totalHeight;
        dirty = true;
    }
}

int LicenceView::lastReaderOffset() const {
    return std::max(0, totalHeight - kLicenceGap - height);
}

void LicenceView::scrollTo(int offset) {
    if (totalHeight == 0) return;
    scrollOffset = std::clamp(offset, 0, lastReaderOffset());
    tickCount = 0;
    readingPause = kReadingPauseTicks;
    dirty = true;
}

void LicenceView::scrollBy(int delta) {
    // From the blank lead-in before the first pass, the text's start is where reading begins.
    scrollTo(std::max(0, scrollOffset) + delta);
}

void LicenceView::drawPass(platform::Painter& painter, int& p, bool checkFirst,
                           const platform::Brush& text, const platform::Brush& shadow,
                           const platform::TextFont& font) {
    const platform::TextFormat format;
    for (const Paragraph& paragraph : paragraphs) {
        if (p + paragraph.height > scrollOffset) {
            float top = float(y + p - scrollOffset);
            painter.text(paragraph.text, font,
                         {float(x + 1), top + 1, float(width), float(kUnbounded)}, format, shadow);
            painter.text(paragraph.text, font, {float(x), top, float(width), float(kUnbounded)},
                         format, text);
        }
        // The wrapped copy checks the bottom before adding the paragraph, the first pass after.
        if (checkFirst && p > scrollOffset + height) return;
        p += paragraph.height;
        if (!checkFirst && p > scrollOffset + height) return;
    }
}

void LicenceView::draw(std::uint8_t alpha, bool force) {
    if (!dirty && !force) return;
    dirty = false;
    auto painter = canvasPainter();
    painter->clip({x, y, width, height});
    std::uint32_t clear = colour & 0x00FFFFFF;
    platform::Brush text = fade({x, y, width, height}, clear, scaledByAlpha(colour, alpha));
    platform::Brush shadow = fade({x + 1, y + 1, width, height}, clear, shadowOf(alpha, 100));
    platform::TextFont font = makeFont(fontSize, false);
    int p = 0;
    drawPass(*painter, p, false, text, shadow, font);
    p += kLicenceGap;
    if (p < scrollOffset + height) drawPass(*painter, p, true, text, shadow, font);
}

bool LicenceView::restoreRect(platform::Rect& rect) const {
    rect = {x, y, width, height};
    return true;
}
