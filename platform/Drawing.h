// What the wizard's widgets and window surface draw with: two window-sized canvases that keep
// per-pixel alpha, a painter per draw (text in pixel units, pictures at an opacity, vertical
// gradients, clipping, one-pixel lines and frames, solid fills), rectangle copies between the
// canvases, the push of the canvas to the layered window, and the two text measurements.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/Platform.h"

namespace platform {

class Picture;

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct RectF {
    float x = 0, y = 0, width = 0, height = 0;
    bool operator==(const RectF&) const = default;
};

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int width = 0, height = 0;
    bool operator==(const Size&) const = default;
};

// The two canvases: the one every widget draws into and that is pushed, and the clean
// background the repaints restore from.
enum class Surface : std::uint8_t { Canvas, Background };

enum class Align : std::uint8_t { Near = 0, Centre = 1, Far = 2 };

// Arial of a pixel size (the generic sans-serif family when Arial is missing).
struct TextFont {
    float size = 12;
    bool bold = false;
    bool operator==(const TextFont&) const = default;
};

// A string format without flags: only the two alignments.
struct TextFormat {
    Align horizontal = Align::Near;
    Align vertical = Align::Near;
    bool operator==(const TextFormat&) const = default;
};

// A solid colour, or a vertical gradient over `area` through four colours at four positions
// (tiled outside the area).
struct Brush {
    bool gradient = false;
    Rect area;
    std::uint32_t colours[4] = {};
    float positions[4] = {};

    static Brush solid(std::uint32_t argb) {
        Brush b;
        b.colours[0] = argb;
        return b;
    }
    bool operator==(const Brush&) const = default;
};

// One drawing session on a canvas (a GDI+ graphics for its DC); released when the draw ends.
// Failures of the single calls are ignored: a failed call draws nothing.
class Painter {
public:
    virtual ~Painter() = default;
    virtual void fillRect(const Rect& rect, std::uint32_t argb) = 0;
    // The outline of the rectangle with a one-pixel pen: its right and bottom lines lie at
    // x + width and y + height.
    virtual void frameRect(const Rect& rect, std::uint32_t argb) = 0;
    virtual void line(int x1, int y1, int x2, int y2, std::uint32_t argb) = 0;
    // The picture's (0, 0, width, height) into `dest`, its alpha multiplied by `opacity`
    // (0 to 1) through a colour matrix.
    virtual void picture(Picture& picture, const Rect& dest, float opacity) = 0;
    // A layout rectangle of 0 x 0 means no bounds: the text is placed around the point by the
    // alignments.
    virtual void text(std::u16string_view text, const TextFont& font, const RectF& layout,
                      const TextFormat& format, const Brush& brush) = 0;
    // Replaces the clip.
    virtual void clip(const Rect& rect) = 0;
};

class Drawing {
public:
    virtual ~Drawing() = default;

    // The screen's context, and two zero-filled canvases of the size made for the window's
    // context. False when any of them cannot be made (whatever was made is released).
    virtual bool openSurfaces(void* window, int width, int height) = 0;
    // Releases the canvases and the screen's context; nothing when they are not open.
    virtual void closeSurfaces() = 0;

    virtual std::unique_ptr<Painter> paint(Surface target) = 0;
    // The rectangle at the same position on both sides.
    virtual void copyRect(Surface from, Surface to, const Rect& rect) = 0;
    // The whole canvas to the layered window at (x, y), blended with its per-pixel alpha and
    // the constant `alpha`.
    virtual void push(void* window, int x, int y, int width, int height, std::uint8_t alpha) = 0;

    // Bounds in whole pixels of the text laid out in regular Arial of `size` within the width,
    // lines broken at the width and at line feeds, trailing spaces counted.
    virtual Size measureText(std::u16string_view text, float size, int layoutWidth) = 0;
    // Width of the text's outline, centred on the origin.
    virtual float pathTextWidth(std::u16string_view text, const TextFont& font) = 0;
};

inline Drawing& drawing() {
    return *os().drawing;
}

}  // namespace platform
