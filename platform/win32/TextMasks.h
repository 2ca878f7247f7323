// The glyph coverage of every text the wizard draws, laid out and rasterised by GDI+ once and
// kept: a text drawn again (each scroll step of the licence, each repaint of a button, each
// step of a fade) is only blended from its mask in whatever brush it is drawn with. A mask is
// made in the layout's own fractional position, so it holds exactly the pixels GDI+ would draw.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Drawing.h"

namespace win32 {

struct TextMask {
    std::vector<std::uint8_t> coverage;  // 0 to 254, width x height
    int width = 0, height = 0;
    int x = 0, y = 0;  // top-left corner relative to the layout's whole-pixel origin
};

class TextMasks {
public:
    // The mask of the text as GDI+ lays it out in `layout` (only the size and the fraction of
    // the origin matter); made on first use. None when GDI+ cannot make it.
    const TextMask* find(std::u16string_view text, const platform::TextFont& font,
                         const platform::RectF& layout, const platform::TextFormat& format);
    void clear() { masks_.clear(), bytes_ = 0; }

private:
    using Key = std::tuple<std::u16string, float, bool, float, float, float, float, int, int>;
    std::map<Key, TextMask> masks_;
    std::size_t bytes_ = 0;
};

}  // namespace win32
