// The wizard draws, copies and measures in its 96-DPI layout; these pass every value through
// the display scale on the way to the canvases and bring measures back into the layout. At 96
// DPI they hand the calls on untouched.
#pragma once

#include <memory>
#include <string_view>

#include "platform/Drawing.h"

// A painter on the canvas or the background that takes layout values. One-pixel lines and
// frames become fills of the scaled pixel cells, so they stay crisp and as thick as a pixel of
// the layout.
std::unique_ptr<platform::Painter> layoutPainter(platform::Surface target);
// The layout rectangle between the canvases.
void copyLayoutRect(platform::Surface from, platform::Surface to, const platform::Rect& rect);
// The text measured at the scaled size and width, in layout pixels (rounded up).
platform::Size measureLayoutText(std::u16string_view text, float size, int layoutWidth);
// The outline width at the scaled size, in layout pixels.
float layoutPathWidth(std::u16string_view text, const platform::TextFont& font);
