#include "platform/win32/TextMasks.h"

#include <algorithm>
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

// A GDI+ graphics on a transparent premultiplied bitmap, whose alpha can be read back.
class BitmapGraphics {
public:
    BitmapGraphics(int width, int height) : width_(width), height_(height) {
        if (gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppPARGB, nullptr,
                                          &bitmap_) != Gdiplus::Ok) {
            bitmap_ = nullptr;
            return;
        }
        if (gp::GdipGetImageGraphicsContext(bitmap_, &graphics_) != Gdiplus::Ok)
            graphics_ = nullptr;
    }
    ~BitmapGraphics() {
        release();
        if (bitmap_) gp::GdipDisposeImage(bitmap_);
    }
    BitmapGraphics(const BitmapGraphics&) = delete;
    BitmapGraphics& operator=(const BitmapGraphics&) = delete;
    Gdiplus::GpGraphics* get() const { return graphics_; }

    // The alpha of every pixel, once drawing is over.
    bool alpha(std::vector<std::uint8_t>& out) {
        release();
        Gdiplus::GpRect all(0, 0, width_, height_);
        Gdiplus::BitmapData data = {};
        if (!bitmap_ || gp::GdipBitmapLockBits(bitmap_, &all, Gdiplus::ImageLockModeRead,
                                               PixelFormat32bppPARGB, &data) != Gdiplus::Ok) {
            return false;
        }
        out.resize(std::size_t(width_) * std::size_t(height_));
        for (int y = 0; y < height_; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride);
            for (int x = 0; x < width_; ++x) out[std::size_t(y) * width_ + x] = row[x] >> 24;
        }
        gp::GdipBitmapUnlockBits(bitmap_, &data);
        return true;
    }

private:
    void release() {
        if (graphics_) gp::GdipDeleteGraphics(graphics_);
        graphics_ = nullptr;
    }

    int width_, height_;
    Gdiplus::GpBitmap* bitmap_ = nullptr;
    Gdiplus::GpGraphics* graphics_ = nullptr;
};

bool measure(const std::u16string& text, const Font& font, const Gdiplus::RectF& layout,
             const StringFormat& format, Gdiplus::RectF& box) {
    BitmapGraphics scratch(1, 1);
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
    // Where the glyphs can lie: the measured size tells how large the text is, not where the
    // alignments put it, so the area takes in every place it could go. Text in a layout of no
    // size sits around its point; in a layout far taller than the text (the licence's
    // paragraphs), at its top.
    int textWidth = int(std::ceil(box.Width)), textHeight = int(std::ceil(box.Height));
    int left = -kMargin, top = -kMargin, right = 0, bottom = 0;
    if (layout.Width <= 0 && layout.Height <= 0) {
        left -= textWidth;
        top -= textHeight;
        right = textWidth + kMargin;
        bottom = textHeight + kMargin;
    } else {
        right = std::max(int(std::ceil(layout.Width)), textWidth) + kMargin;
        bool tall = layout.Height > box.Height + 2 * kMargin;
        bottom = (tall && wantedFormat.vertical == platform::Align::Near
                      ? textHeight
                      : std::max(int(std::ceil(layout.Height)), textHeight)) +
                 kMargin;
    }
    mask.x = left;
    mask.y = top;
    mask.width = right - left;
    mask.height = bottom - top;
    BitmapGraphics target(mask.width, mask.height);
    Brush white(platform::Brush::solid(0xFEFFFFFF));
    Gdiplus::RectF placed(layout.X - float(left), layout.Y - float(top), layout.Width,
                          layout.Height);
    return target.get() &&
           gp::GdipDrawString(target.get(), units(text), INT(text.size()), font.get(), &placed,
                              format.get(), white.get()) == Gdiplus::Ok &&
           target.alpha(mask.coverage);
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
