#include "wizard/DisplayScale.h"

#include <cstdint>

namespace {

unsigned currentDpi = kDesignDpi;

// Floor division, also for negative dividends (scroll offsets and drag positions may be).
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// floor(v * dpi / 96 + 1 / 2) in whole numbers.
std::int64_t edgeOf(std::int64_t v) {
    return floorDiv(2 * v * currentDpi + kDesignDpi, 2 * kDesignDpi);
}

}  // namespace

void setDisplayDpi(unsigned dpi) {
    if (dpi < kDesignDpi) dpi = kDesignDpi;
    if (dpi > kMaxDpi) dpi = kMaxDpi;
    currentDpi = dpi;
}

unsigned displayDpi() {
    return currentDpi;
}

bool unitScale() {
    return currentDpi == kDesignDpi;
}

float scaleFactor() {
    return float(currentDpi) / float(kDesignDpi);
}

int scaledEdge(int v) {
    return int(edgeOf(v));
}

float scaledFloat(float v) {
    return unitScale() ? v : v * scaleFactor();
}

platform::Rect scaledRect(const platform::Rect& r) {
    int left = scaledEdge(r.x), top = scaledEdge(r.y);
    return {left, top, scaledEdge(r.x + r.width) - left, scaledEdge(r.y + r.height) - top};
}

platform::RectF scaledRect(const platform::RectF& r) {
    return {scaledFloat(r.x), scaledFloat(r.y), scaledFloat(r.width), scaledFloat(r.height)};
}

platform::Size scaledSize(const platform::Size& size) {
    return {scaledEdge(size.width), scaledEdge(size.height)};
}

int layoutCoordinate(int pixel) {
    std::int64_t v = floorDiv(std::int64_t(pixel) * kDesignDpi, currentDpi);
    while (edgeOf(v + 1) <= pixel) ++v;
    while (edgeOf(v) > pixel) --v;
    return int(v);
}

int layoutLength(int pixels) {
    if (unitScale()) return pixels;
    // ceil(pixels * 96 / dpi)
    return int(-floorDiv(-std::int64_t(pixels) * kDesignDpi, currentDpi));
}
