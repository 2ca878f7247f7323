#include "wizard/ScaledDrawing.h"

#include "platform/PenRules.h"
#include "wizard/DisplayScale.h"

namespace {

class ScaledPainter : public platform::Painter {
public:
    explicit ScaledPainter(std::unique_ptr<platform::Painter> inner) : inner_(std::move(inner)) {}

    void fillRect(const platform::Rect& rect, std::uint32_t argb) override {
        inner_->fillRect(scaledRect(rect), argb);
    }
    void frameRect(const platform::Rect& r, std::uint32_t argb) override {
        platform::fillFrameSides(r, [&](const platform::Rect& side) { fillRect(side, argb); });
    }
    void line(int x1, int y1, int x2, int y2, std::uint32_t argb) override {
        platform::Rect covered;
        if (platform::straightLineRect(x1, y1, x2, y2, covered)) {
            fillRect(covered, argb);
        } else {
            inner_->line(scaledEdge(x1), scaledEdge(y1), scaledEdge(x2), scaledEdge(y2), argb);
        }
    }
    void picture(platform::Picture& picture, const platform::Rect& dest, float opacity) override {
        inner_->picture(picture, scaledRect(dest), opacity);
    }
    void text(std::u16string_view text, const platform::TextFont& font,
              const platform::RectF& layout, const platform::TextFormat& format,
              const platform::Brush& brush) override {
        platform::Brush scaledBrush = brush;
        if (brush.gradient) scaledBrush.area = scaledRect(brush.area);
        inner_->text(text, {scaledFloat(font.size), font.bold}, scaledRect(layout), format,
                     scaledBrush);
    }
    void clip(const platform::Rect& rect) override { inner_->clip(scaledRect(rect)); }

private:
    std::unique_ptr<platform::Painter> inner_;
};

}  // namespace

std::unique_ptr<platform::Painter> layoutPainter(platform::Surface target) {
    auto painter = platform::drawing().paint(target);
    if (unitScale() || !painter) return painter;
    return std::make_unique<ScaledPainter>(std::move(painter));
}

void copyLayoutRect(platform::Surface from, platform::Surface to, const platform::Rect& rect) {
    platform::drawing().copyRect(from, to, scaledRect(rect));
}

platform::Size measureLayoutText(std::u16string_view text, float size, int layoutWidth) {
    if (unitScale()) return platform::drawing().measureText(text, size, layoutWidth);
    platform::Size measured =
        platform::drawing().measureText(text, scaledFloat(size), scaledEdge(layoutWidth));
    return {layoutLength(measured.width), layoutLength(measured.height)};
}

float layoutPathWidth(std::u16string_view text, const platform::TextFont& font) {
    if (unitScale()) return platform::drawing().pathTextWidth(text, font);
    float width = platform::drawing().pathTextWidth(text, {scaledFloat(font.size), font.bold});
    return width / scaleFactor();
}
