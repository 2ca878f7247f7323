// Where a one-pixel pen at whole coordinates puts its pixels, the way GDI+ draws it: a frame
// of width w covers w + 1 columns (the top and bottom rows take in the right column), and a
// straight line covers both of its end points. Every painter that draws frames and straight
// lines as plain fills follows this one rule, so a frame looks the same whichever draws it.
#pragma once

#include <algorithm>
#include <cstdlib>

#include "platform/Drawing.h"

namespace platform {

// The frame's sides as fills, in order: top, bottom, left, right; none overlaps another.
template <typename Fill>
void fillFrameSides(const Rect& r, Fill fill) {
    fill(Rect{r.x, r.y, r.width + 1, 1});
    if (r.height > 0) fill(Rect{r.x, r.y + r.height, r.width + 1, 1});
    fill(Rect{r.x, r.y + 1, 1, r.height - 1});
    if (r.width > 0) fill(Rect{r.x + r.width, r.y + 1, 1, r.height - 1});
}

// The one rectangle a horizontal or vertical line covers; false for a slanted line.
inline bool straightLineRect(int x1, int y1, int x2, int y2, Rect& covered) {
    if (y1 == y2) {
        covered = {std::min(x1, x2), y1, std::abs(x2 - x1) + 1, 1};
        return true;
    }
    if (x1 == x2) {
        covered = {x1, std::min(y1, y2), 1, std::abs(y2 - y1) + 1};
        return true;
    }
    return false;
}

}  // namespace platform
