// The wizard is laid out in the pixels of a 96-DPI screen; on a denser screen every position,
// size, font and line of that layout is multiplied by DPI / 96 on its way to the canvas, so
// the window grows and its text is drawn at the larger size instead of being stretched.
// Positions are scaled as edges: a rectangle's sides are scaled and rounded each on its own, so
// neighbouring rectangles still meet and a rectangle covers exactly the pixels of its cells.
#pragma once

#include "platform/Drawing.h"

constexpr unsigned kDesignDpi = 96;
// A screen reported below the design density keeps the designed pixels; one above four times
// it is taken as four times (a window larger than any screen helps nobody).
constexpr unsigned kMaxDpi = 4 * kDesignDpi;

// Sets the density the layout is drawn for, clamped to the range above; 0 counts as 96.
void setDisplayDpi(unsigned dpi);
unsigned displayDpi();
// True at 96 DPI: the layout's pixels are the canvas's.
bool unitScale();
// DPI / 96 as a factor for font sizes and fractional text positions.
float scaleFactor();

// A layout coordinate to the canvas: v * DPI / 96, rounded half up.
int scaledEdge(int v);
float scaledFloat(float v);
platform::Rect scaledRect(const platform::Rect& r);
platform::RectF scaledRect(const platform::RectF& r);
// The window's size on the screen for the layout's size.
platform::Size scaledSize(const platform::Size& size);

// A canvas pixel back to the layout pixel whose scaled cell holds it (the inverse of
// scaledEdge: scaledEdge(v) <= pixel < scaledEdge(v + 1)).
int layoutCoordinate(int pixel);
// A length measured on the canvas back in layout pixels, rounded up so that it still covers.
int layoutLength(int pixels);
