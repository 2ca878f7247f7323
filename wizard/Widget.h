// What every kind of wizard widget shares: a dirty flag, a draw at an opacity, and the rectangle
// a dirty repaint restores from the clean background before the widget draws again.
#pragma once

#include <cstdint>

#include "platform/Drawing.h"
#include "wizard/ScaledDrawing.h"

// Whether texts are measured and pictures loaded as the widgets are made and changed. The
// surface build clears it until the window is first shown, when every text is measured and
// every picture loaded: a run that never shows its window measures nothing and decodes no
// picture.
extern bool widgetGraphics;

class Widget {
public:
    virtual ~Widget() = default;

    // Draws into the canvas when dirty or forced, and leaves the widget clean.
    virtual void draw(std::uint8_t alpha, bool force) = 0;
    // False for widgets that draw over whatever the canvas holds.
    virtual bool restoreRect(platform::Rect& rect) const {
        (void)rect;
        return false;
    }

    bool dirty = false;
};

// The colour with its alpha byte multiplied by alpha / 255, the fraction dropped.
constexpr std::uint32_t scaledByAlpha(std::uint32_t argb, std::uint8_t alpha) {
    std::uint32_t a = (argb >> 24) * alpha / 255;
    return a << 24 | (argb & 0x00FFFFFF);
}

// Black whose alpha is alpha * strength / 255, the fraction dropped.
constexpr std::uint32_t shadowOf(std::uint8_t alpha, std::uint32_t strength) {
    return (alpha * strength / 255) << 24;
}

// The opacity factor of a picture drawn at a page's alpha.
constexpr float pictureOpacity(std::uint8_t alpha) {
    return float(alpha) / 255.0f;
}

// Arial of the size, bold or regular.
inline platform::TextFont makeFont(float size, bool bold) {
    return platform::TextFont{size, bold};
}

// A draw opens its own painter on the canvas for its duration.
inline std::unique_ptr<platform::Painter> canvasPainter() {
    return layoutPainter(platform::Surface::Canvas);
}
