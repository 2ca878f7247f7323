#include "platform/PixelBlend.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace pixels {

namespace {

int channel(std::uint32_t v, int shift) {
    return int(v >> shift & 255);
}

// The rounded division (v + 127) / 255 of two products of bytes at once, one in each 16-bit
// half, written as ((v + 128) + ((v + 128) >> 8)) >> 8: the same for every such v, and nothing
// carries from one half into the other.
std::uint32_t div255Pair(std::uint32_t pair) {
    std::uint32_t v = pair + 0x00800080u;
    return ((v + ((v >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Each channel is colour * a / 255 + under * (255 - a) / 255, each part rounded: the first is
// at most a and the second at most 255 - a, so no sum passes 255 and red with blue, alpha with
// green, are worked two at a time. The alpha is a + under's alpha * (255 - a) / 255.
std::uint32_t overWithAlpha(std::uint32_t straight, int a, std::uint32_t under) {
    if (a == 0) return under;
    std::uint32_t alpha = std::uint32_t(a), keep = 255u - alpha;
    std::uint32_t redBlue =
        div255Pair((straight & 0x00FF00FFu) * alpha) + div255Pair((under & 0x00FF00FFu) * keep);
    std::uint32_t alphaGreen = (alpha << 16 | div255Pair((straight >> 8 & 0xFFu) * alpha)) +
                               div255Pair((under >> 8 & 0x00FF00FFu) * keep);
    return redBlue | alphaGreen << 8;
}

// Two colours mixed at `position` (0 to 1) in 256 steps, weighted by their alphas.
std::uint32_t mix(std::uint32_t start, std::uint32_t end, float position) {
    int pos = int(position * 255.0f + 0.5f);
    int startWeight = channel(start, 24) * (pos ^ 0xFF);
    int endWeight = channel(end, 24) * pos;
    int total = startWeight + endWeight;
    if (total < 0xFF) return 0;
    std::uint32_t out = std::uint32_t(total / 0xFF) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        int v = (channel(start, shift) * startWeight + channel(end, shift) * endWeight) / total;
        out |= std::uint32_t(v) << shift;
    }
    return out;
}

}  // namespace

std::uint32_t over(std::uint32_t straight, std::uint32_t under) {
    return overWithAlpha(straight, channel(straight, 24), under);
}

bool empty(const platform::Rect& r) {
    return r.width <= 0 || r.height <= 0;
}

platform::Rect clipped(const Surface& surface, const platform::Rect& rect,
                       const platform::Rect& clip) {
    int left = std::max({rect.x, clip.x, 0});
    int top = std::max({rect.y, clip.y, 0});
    int right = std::min({rect.x + rect.width, clip.x + clip.width, surface.width});
    int bottom = std::min({rect.y + rect.height, clip.y + clip.height, surface.height});
    if (right <= left || bottom <= top) return {};
    return {left, top, right - left, bottom - top};
}

platform::Rect unite(const platform::Rect& a, const platform::Rect& b) {
    if (empty(a)) return b;
    if (empty(b)) return a;
    int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    int right = std::max(a.x + a.width, b.x + b.width);
    int bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

platform::Rect fill(Surface& surface, const platform::Rect& rect, const platform::Rect& clip,
                    std::uint32_t straight) {
    platform::Rect r = clipped(surface, rect, clip);
    for (int y = r.y; y < r.y + r.height; ++y) {
        std::uint32_t* row = surface.bits + std::ptrdiff_t(y) * surface.stride;
        for (int x = r.x; x < r.x + r.width; ++x) row[x] = over(straight, row[x]);
    }
    return r;
}

// A channel through GDI+'s colour matrix, in its single-precision arithmetic: the value as a
// fraction, times the matrix entry, back to 0..255 with the fraction dropped.
int throughMatrix(int value, float entry) {
    float fraction = float(value / 255.0);
    float result = entry * fraction;
    return std::clamp(int(std::floor(float(result * 255.0))), 0, 255);
}

platform::Rect blendPicture(Surface& surface, const Picture& picture, const platform::Rect& clip,
                            float opacity) {
    platform::Rect r =
        clipped(surface, {picture.x, picture.y, picture.width, picture.height}, clip);
    bool whole = opacity >= 1.0f;
    // Below full opacity GDI+ takes every channel through the colour matrix; whole pictures
    // are drawn without one.
    std::uint8_t colour[256], alpha[256];
    bool sameColour = true;  // the matrix's unit entries leave the colour as it is
    for (int v = 0; v < 256; ++v) {
        colour[v] = std::uint8_t(whole ? v : throughMatrix(v, 1.0f));
        alpha[v] = std::uint8_t(whole ? v : throughMatrix(v, opacity));
        sameColour = sameColour && colour[v] == v;
    }
    for (int y = r.y; y < r.y + r.height; ++y) {
        std::uint32_t* row = surface.bits + std::ptrdiff_t(y) * surface.stride;
        const std::uint32_t* source =
            picture.bits + std::ptrdiff_t(y - picture.y) * picture.width - picture.x;
        for (int x = r.x; x < r.x + r.width; ++x) {
            std::uint32_t s = source[x];
            // An opaque pixel at full opacity replaces what lies under it.
            if (whole && s >= 0xFF000000u) {
                row[x] = s;
                continue;
            }
            std::uint32_t c = sameColour ? s & 0x00FFFFFFu
                                         : std::uint32_t(colour[channel(s, 16)]) << 16 |
                                               std::uint32_t(colour[channel(s, 8)]) << 8 |
                                               colour[channel(s, 0)];
            row[x] = overWithAlpha(c, alpha[channel(s, 24)], row[x]);
        }
    }
    return r;
}

std::uint32_t gradientAt(const platform::Brush& brush, int y) {
    if (!brush.gradient) return brush.colours[0];
    if (brush.area.height <= 0) return brush.colours[0];
    float t = float(y - brush.area.y) / float(brush.area.height);
    t = std::fmod(t, 1.0f);
    if (t < 0) t += 1.0f;
    int k = 1;
    while (k < 3 && t > brush.positions[k]) ++k;
    float range = brush.positions[k] - brush.positions[k - 1];
    float f = range > 0 ? (t - brush.positions[k - 1]) / range : 0.0f;
    return mix(brush.colours[k - 1], brush.colours[k], f);
}

platform::Rect blendMask(Surface& surface, const Mask& mask, const platform::Rect& clip,
                         const platform::Brush& brush) {
    platform::Rect r = clipped(surface, {mask.x, mask.y, mask.width, mask.height}, clip);
    // GDI+ keeps 65 levels of coverage and scales the brush's alpha by them.
    int levels[255];
    for (int m = 0; m < 255; ++m) levels[m] = (m * 64 + 127) / 254;
    for (int y = r.y; y < r.y + r.height; ++y) {
        std::uint32_t colour = gradientAt(brush, y);
        int brushAlpha = channel(colour, 24);
        if (brushAlpha == 0) continue;
        std::uint32_t* row = surface.bits + std::ptrdiff_t(y) * surface.stride;
        const std::uint8_t* coverage = mask.bits + std::ptrdiff_t(y - mask.y) * mask.width - mask.x;
        for (int x = r.x; x < r.x + r.width; ++x) {
            int m = coverage[x];
            if (m == 0) continue;
            row[x] = overWithAlpha(colour, brushAlpha * levels[std::min(m, 254)] / 64, row[x]);
        }
    }
    return r;
}

platform::Rect copy(Surface& to, const Surface& from, const platform::Rect& rect) {
    platform::Rect r = clipped(to, rect, {0, 0, to.width, to.height});
    r = clipped(from, r, r);
    platform::Rect changed;
    for (int y = r.y; y < r.y + r.height; ++y) {
        std::uint32_t* dest = to.bits + std::ptrdiff_t(y) * to.stride + r.x;
        const std::uint32_t* src = from.bits + std::ptrdiff_t(y) * from.stride + r.x;
        std::size_t bytes = std::size_t(r.width) * 4;
        if (std::memcmp(dest, src, bytes) == 0) continue;
        std::memcpy(dest, src, bytes);
        changed = unite(changed, {r.x, y, r.width, 1});
    }
    return changed;
}

}  // namespace pixels
