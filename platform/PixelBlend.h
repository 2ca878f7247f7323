// The arithmetic of laying colour over the wizard's canvases, done in plain code: the canvases
// hold premultiplied 0xAARRGGBB pixels, and every operation here gives, pixel for pixel, what
// GDI+ gives for the same drawing (its source-over with rounding, its 65 levels of glyph
// coverage, its line gradients), so a frame drawn from kept pictures and glyphs looks as one
// drawn through GDI+ while costing a small part of it.
#pragma once

#include <cstdint>

#include "platform/Drawing.h"

namespace pixels {

// Rows of `width` premultiplied pixels, `stride` pixels apart, top row first.
struct Surface {
    std::uint32_t* bits = nullptr;
    int width = 0, height = 0, stride = 0;
};

// 8-bit glyph coverage as a white text at alpha 254 leaves it (0 to 254), placed with its
// top-left corner at (x, y) of the surface it is laid on.
struct Mask {
    const std::uint8_t* bits = nullptr;
    int width = 0, height = 0;
    int x = 0, y = 0;
};

// Straight (not premultiplied) pixels of a picture, its top-left corner at (x, y).
struct Picture {
    const std::uint32_t* bits = nullptr;
    int width = 0, height = 0;
    int x = 0, y = 0;
};

// The straight colour laid over the premultiplied pixel with its own alpha.
std::uint32_t over(std::uint32_t straight, std::uint32_t under);

// The part of `rect` inside both `clip` and the surface; empty (width or height 0) for none.
platform::Rect clipped(const Surface& surface, const platform::Rect& rect,
                       const platform::Rect& clip);
platform::Rect unite(const platform::Rect& a, const platform::Rect& b);
bool empty(const platform::Rect& rect);

// Each returns the rectangle it may have changed (already clipped).
platform::Rect fill(Surface& surface, const platform::Rect& rect, const platform::Rect& clip,
                    std::uint32_t straight);
// The picture's pixels, each with its alpha scaled to `alpha` / 255 (dropping the fraction).
platform::Rect blendPicture(Surface& surface, const Picture& picture, const platform::Rect& clip,
                            float opacity);
// Glyph coverage in the colour the brush has at each row: solid, or a vertical gradient.
platform::Rect blendMask(Surface& surface, const Mask& mask, const platform::Rect& clip,
                         const platform::Brush& brush);
// The rectangle at the same place from one surface of the same size to another; returns what
// changed (the rows that differed), so that copying back a clean background onto itself costs
// no push.
platform::Rect copy(Surface& to, const Surface& from, const platform::Rect& rect);

// The colour of a vertical four-stop gradient brush at pixel row y (tiled outside its area).
std::uint32_t gradientAt(const platform::Brush& brush, int y);

}  // namespace pixels
