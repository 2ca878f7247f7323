// Drawing that keeps a list of every operation in order with its parameters, for the wizard's
// tests, and measures text with fixed metrics: every character is half the font size wide,
// every line 1.25 times the size high (rounded), lines break at line feeds and at the layout
// width; an outline is 0.55 (regular) or 0.6 (bold) of the size per character.
#pragma once

#include <string>
#include <vector>

#include "platform/Drawing.h"

namespace fake {

struct DrawOp {
    enum Kind {
        Open,      // openSurfaces: window, rect.width/height
        Close,     // closeSurfaces
        Paint,     // a painter begins on `surface`
        EndPaint,  // the painter is released
        Fill,      // rect, colour
        Frame,     // rect, colour
        Line,      // rect.x/y to rect.width/height as the end point, colour
        Picture,   // picture, rect, opacity
        Text,      // text, font, layout, format, brush
        Clip,      // rect
        Copy,      // surface to target, rect
        Push,      // window, rect (position and size), colour = constant alpha
        Measure,   // text, font.size, rect.width = layout width
        PathWidth  // text, font
    };
    Kind kind = Fill;
    platform::Surface surface = platform::Surface::Canvas;
    platform::Surface target = platform::Surface::Canvas;
    platform::Rect rect;
    std::uint32_t colour = 0;
    const platform::Picture* picture = nullptr;
    float opacity = 0;
    std::u16string text;
    platform::TextFont font;
    platform::RectF layout;
    platform::TextFormat format;
    platform::Brush brush;
    void* window = nullptr;

    // One line naming the operation and its parameters, e.g.
    // "frame 512,7 16x16 78969696" or "text 'x' 16 (512,7 16x16) centre/centre FEFFFFFF".
    std::string str() const;
};

class RecordingDrawing : public platform::Drawing {
public:
    bool openSurfaces(void* window, int width, int height) override;
    void closeSurfaces() override;
    std::unique_ptr<platform::Painter> paint(platform::Surface target) override;
    void copyRect(platform::Surface from, platform::Surface to,
                  const platform::Rect& rect) override;
    void push(void* window, int x, int y, int width, int height, std::uint8_t alpha) override;
    platform::Size measureText(std::u16string_view text, float size, int layoutWidth) override;
    float pathTextWidth(std::u16string_view text, const platform::TextFont& font) override;

    std::vector<DrawOp> ops;
    bool open = false;

    void clear() { ops.clear(); }
    // The operations of the given kinds as strings, in order.
    std::vector<std::string> lines(std::initializer_list<DrawOp::Kind> kinds) const;
    std::vector<std::string> lines() const;
    int count(DrawOp::Kind kind) const;

    // The fixed metrics, also for tests that compute expected layouts.
    static platform::Size metrics(std::u16string_view text, float size, int layoutWidth);
    static int lineHeight(float size);
};

}  // namespace fake
