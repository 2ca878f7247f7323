#include "platform/win32/TextMasks.h"

#include <cmath>

#include "platform/win32/GdiplusObjects.h"

namespace win32 {

namespace {

namespace gp = Gdiplus::DllExports;
using namespace gdiplus;

// Antialiased glyphs may reach a pixel past the measured box.
constexpr int kMargin = 3;
// Masks kept at most; past it they are all made again as they are needed.
constexpr std::size_t kMaxBytes = 24u << 20;

// A GDI+ graphics on a premultiplied bitmap over the caller's buffer.
class BitmapGraphics {
public:
    BitmapGraphics(int width, int height, std::uint32_t* bits) {
        if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                          reinterpret_cast<BYTE*>(bits), &bitmap_) != Gdiplus::Ok) {
            bitmap_ = nullptr;
            return;
        }
        if (gp::GdipGetImageGraphicsContext(bitmap_, &graphics_) != Gdiplus::Ok)
            graphics_ = nullptr;
    }
    ~BitmapGraphics() {
        if (graphics_) gp::GdipDeleteGraphics(graphics_);
        if (bitmap_) gp::GdipDisposeImage(bitmap_);
    }
    BitmapGraphics(const BitmapGraphics&) = delete;
    BitmapGraphics& operator=(const BitmapGraphics&) = delete;
    Gdiplus::GpGraphics* get() const { return graphics_; }

private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
    Gdiplus::GpGraphics* graphics_ = nullptr;
};

bool measure(const std::u16string& text, const Font& font, const Gdiplus::RectF& layout,
             const StringFormat& format, Gdiplus::RectF& box) {
    std::uint32_t pixel = 0;
    BitmapGraphics scratch(1, 1, &pixel);
    return scratch.get() &&
           gp::GdipMeasureString(scratch.get(), units(text), INT(text.size()), font.get(), &layout,
                                 format.get(), &box, nullptr, nullptr) == Gdiplus::Ok;
}

// White at alpha 254, as the wizard's colours are: an opaque brush would take GDI+ to another
// way of drawing text.
bool render(const std::u16string& text, const platform::TextFont& wanted,
            const Gdiplus::RectF& layout, const platform::TextFormat& wantedFormat,
            TextMask& mask) {
    Font font(wanted);
    StringFormat format(wantedFormat);
    Gdiplus::RectF box;
    if (!font.get() || !format.get() || !measure(text, font, layout, format, box)) return false;
    int left = int(std::floor(box.X)) - kMargin, top = int(std::floor(box.Y)) - kMargin;
    int right = int(std::ceil(box.X + box.Width)) + kMargin;
    int bottom = int(std::ceil(box.Y + box.Height)) + kMargin;
    mask.x = left;
    mask.y = top;
    mask.width = right - left;
    mask.height = bottom - top;
    std::vector<std::uint32_t> bits(std::size_t(mask.width) * std::size_t(mask.height), 0);
    {
        BitmapGraphics target(mask.width, mask.height, bits.data());
        Brush white(platform::Brush::solid(0xFEFFFFFF));
        Gdiplus::RectF placed(layout.X - float(left), layout.Y - float(top), layout.Width,
                              layout.Height);
        if (!target.get() ||
            gp::GdipDrawString(target.get(), units(text), INT(text.size()), font.get(), &placed,
                               format.get(), white.get()) != Gdiplus::Ok) {
            return false;
        }
    }
    mask.coverage.resize(bits.size());
    for (std::size_t i = 0; i < bits.size(); ++i) mask.coverage[i] = std::uint8_t(bits[i] >> 24);
    return true;
}

}  // namespace

const TextMask* TextMasks::find(std::u16string_view text, const platform::TextFont& font,
                                const platform::RectF& layout, const platform::TextFormat& format) {
    float fx = layout.x - std::floor(layout.x), fy = layout.y - std::floor(layout.y);
    Key key{std::u16string(text), font.size, font.bold, layout.width,
            layout.height,        fx,        fy,        int(format.horizontal),
            int(format.vertical)};
    auto found = masks_.find(key);
    if (found != masks_.end()) return &found->second;
    TextMask mask;
    std::u16string shown = withoutCrBeforeLf(text);
    if (!shown.empty() &&
        !render(shown, font, Gdiplus::RectF(fx, fy, layout.width, layout.height), format, mask)) {
        return nullptr;
    }
    if (bytes_ + mask.coverage.size() > kMaxBytes) clear();
    bytes_ += mask.coverage.size() + std::get<0>(key).size() * 2;
    return &masks_.emplace(std::move(key), std::move(mask)).first->second;
}

}  // namespace win32
