#include "platform/win32/Win32Drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/PenRules.h"
#include "platform/Pictures.h"
#include "platform/PixelBlend.h"
#include "platform/win32/GdiplusObjects.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Pictures.h"

namespace win32 {

namespace {

namespace gp = Gdiplus::DllExports;
using namespace gdiplus;

// Every call on a graphics that could not be made fails inside GDI+ and draws nothing.
class GdiplusPainter : public platform::Painter {
public:
    explicit GdiplusPainter(HDC dc) : graphics_(dc) {}

    void fillRect(const platform::Rect& r, std::uint32_t argb) override {
        Brush brush(platform::Brush::solid(argb));
        gp::GdipFillRectangleI(graphics_.get(), brush.get(), r.x, r.y, r.width, r.height);
    }
    void frameRect(const platform::Rect& r, std::uint32_t argb) override {
        Pen pen(argb);
        gp::GdipDrawRectangleI(graphics_.get(), pen.get(), r.x, r.y, r.width, r.height);
    }
    void line(int x1, int y1, int x2, int y2, std::uint32_t argb) override {
        Pen pen(argb);
        gp::GdipDrawLineI(graphics_.get(), pen.get(), x1, y1, x2, y2);
    }
    void picture(platform::Picture& picture, const platform::Rect& dest, float opacity) override {
        auto* image = static_cast<Gdiplus::GpImage*>(picture.image());
        if (!image) return;
        unsigned width = 0, height = 0;
        if (!picture.dimensions(width, height)) return;
        bool stretched = int(width) != dest.width || int(height) != dest.height;
        // At full opacity the colour matrix is the identity: the same pixels come out without
        // it, at a third of the cost under Wine.
        Gdiplus::GpImageAttributes* attributes = nullptr;
        if (opacity < 1.0f || stretched) {
            if (gp::GdipCreateImageAttributes(&attributes) != Gdiplus::Ok) return;
        }
        if (stretched) {
            // A picture drawn larger on a dense screen is filtered smoothly; its edge pixels
            // are mirrored outward so the filter does not fade them into nothing.
            gp::GdipSetImageAttributesWrapMode(attributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
            gp::GdipSetInterpolationMode(graphics_.get(),
                                         Gdiplus::InterpolationModeHighQualityBicubic);
            gp::GdipSetPixelOffsetMode(graphics_.get(), Gdiplus::PixelOffsetModeHalf);
        }
        if (opacity < 1.0f) {
            Gdiplus::ColorMatrix matrix = {};
            for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
            matrix.m[3][3] = opacity;
            gp::GdipSetImageAttributesColorMatrix(attributes, Gdiplus::ColorAdjustTypeDefault, TRUE,
                                                  &matrix, nullptr,
                                                  Gdiplus::ColorMatrixFlagsDefault);
        }
        gp::GdipDrawImageRectRectI(graphics_.get(), image, dest.x, dest.y, dest.width, dest.height,
                                   0, 0, INT(width), INT(height), Gdiplus::UnitPixel, attributes,
                                   nullptr, nullptr);
        if (attributes) gp::GdipDisposeImageAttributes(attributes);
    }
    void text(std::u16string_view original, const platform::TextFont& wanted,
              const platform::RectF& layout, const platform::TextFormat& format,
              const platform::Brush& brushOf) override {
        std::u16string text = withoutCrBeforeLf(original);
        Font font(wanted);
        StringFormat stringFormat(format);
        Brush brush(brushOf);
        Gdiplus::RectF rect(layout.x, layout.y, layout.width, layout.height);
        gp::GdipDrawString(graphics_.get(), units(text), INT(text.size()), font.get(), &rect,
                           stringFormat.get(), brush.get());
    }
    void clip(const platform::Rect& r) override {
        gp::GdipSetClipRectI(graphics_.get(), r.x, r.y, r.width, r.height,
                             Gdiplus::CombineModeReplace);
    }

private:
    Graphics graphics_;
};

// The same drawing in plain code over the canvas's pixels: solid fills, one-pixel lines and
// frames, kept pictures at their own size and kept glyph masks. Anything else (a slanted line,
// a scaled picture, a picture GDI+ cannot lock) goes to GDI+ as before.
class FastPainter : public platform::Painter {
public:
    FastPainter(pixels::Surface surface, HDC dc, TextMasks& masks, platform::Rect* damage)
        : surface_(surface),
          dc_(dc),
          masks_(masks),
          damage_(damage),
          clip_{0, 0, surface.width, surface.height} {}

    void fillRect(const platform::Rect& r, std::uint32_t argb) override {
        touched(pixels::fill(surface_, r, clip_, argb));
    }
    void frameRect(const platform::Rect& r, std::uint32_t argb) override {
        platform::fillFrameSides(r, [&](const platform::Rect& side) { fillRect(side, argb); });
    }
    void line(int x1, int y1, int x2, int y2, std::uint32_t argb) override {
        platform::Rect covered;
        if (platform::straightLineRect(x1, y1, x2, y2, covered)) {
            fillRect(covered, argb);
        } else {
            gdiplus().line(x1, y1, x2, y2, argb);
            touched(pixels::clipped(
                surface_,
                {std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1},
                clip_));
        }
    }
    void picture(platform::Picture& picture, const platform::Rect& dest, float opacity) override {
        unsigned w = 0, h = 0;
        auto* kept = dynamic_cast<Win32Picture*>(&picture);
        const std::uint32_t* bits = kept ? kept->pixels(w, h) : nullptr;
        // Drawn larger on a dense screen: a smooth copy at that size is made once and kept, so
        // the slideshow's every tick stays a plain blend.
        if (bits && (int(w) != dest.width || int(h) != dest.height)) {
            bits = kept->scaledPixels(dest.width, dest.height);
            w = unsigned(dest.width);
            h = unsigned(dest.height);
        }
        if (!bits) {
            gdiplus().picture(picture, dest, opacity);
            touched(pixels::clipped(surface_, dest, clip_));
            return;
        }
        pixels::Picture source{bits, int(w), int(h), dest.x, dest.y};
        touched(pixels::blendPicture(surface_, source, clip_, opacity));
    }
    void text(std::u16string_view text, const platform::TextFont& font,
              const platform::RectF& layout, const platform::TextFormat& format,
              const platform::Brush& brush) override {
        const TextMask* mask = masks_.find(text, font, layout, format);
        if (!mask) return;
        pixels::Mask placed{mask->coverage.data(), mask->width, mask->height,
                            int(std::floor(layout.x)) + mask->x,
                            int(std::floor(layout.y)) + mask->y};
        touched(pixels::blendMask(surface_, placed, clip_, brush));
    }
    void clip(const platform::Rect& r) override {
        clip_ = r;
        if (gdiplus_) gdiplus_->clip(r);
    }
    ~FastPainter() override {
        // GDI may still hold back what GDI+ drew; the next blend reads the pixels themselves.
        if (gdiplus_) {
            gdiplus_.reset();
            GdiFlush();
        }
    }

private:
    void touched(const platform::Rect& r) {
        if (damage_) *damage_ = pixels::unite(*damage_, r);
    }
    GdiplusPainter& gdiplus() {
        if (!gdiplus_) {
            gdiplus_ = std::make_unique<GdiplusPainter>(dc_);
            gdiplus_->clip(clip_);
        }
        return *gdiplus_;
    }

    pixels::Surface surface_;
    HDC dc_;
    TextMasks& masks_;
    platform::Rect* damage_;  // none: nothing of it is pushed
    platform::Rect clip_;
    std::unique_ptr<GdiplusPainter> gdiplus_;
};

}  // namespace

Win32Drawing::~Win32Drawing() {
    closeSurfaces();
}

bool Win32Drawing::openCanvas(Canvas& canvas, void* windowDc) {
    HDC dc = CreateCompatibleDC(static_cast<HDC>(windowDc));
    if (!dc) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(static_cast<HDC>(windowDc), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        DeleteDC(dc);
        return false;
    }
    canvas.dc = dc;
    canvas.bitmap = bitmap;
    canvas.saved = SelectObject(dc, bitmap);
    canvas.bits = static_cast<std::uint32_t*>(bits);
    return true;
}

void Win32Drawing::closeCanvas(Canvas& canvas) {
    if (!canvas.dc) return;
    SelectObject(static_cast<HDC>(canvas.dc), static_cast<HGDIOBJ>(canvas.saved));
    DeleteObject(static_cast<HGDIOBJ>(canvas.bitmap));
    DeleteDC(static_cast<HDC>(canvas.dc));
    canvas = Canvas{};
}

bool Win32Drawing::openSurfaces(void* window, int width, int height) {
    closeSurfaces();
    if (!ensureGdiplus()) return false;
    width_ = width;
    height_ = height;
    screenDc_ = GetDC(nullptr);
    HWND hwnd = static_cast<HWND>(window);
    HDC windowDc = GetDC(hwnd);
    bool made =
        screenDc_ && windowDc && openCanvas(canvas_, windowDc) && openCanvas(background_, windowDc);
    if (windowDc) ReleaseDC(hwnd, windowDc);
    if (!made) closeSurfaces();
    return made;
}

void Win32Drawing::closeSurfaces() {
    closeCanvas(canvas_);
    closeCanvas(background_);
    damage_ = {};
    lastPush_ = {};
    if (screenDc_) ReleaseDC(nullptr, static_cast<HDC>(screenDc_));
    screenDc_ = nullptr;
}

Win32Drawing::Canvas& Win32Drawing::canvasOf(platform::Surface surface) {
    return surface == platform::Surface::Canvas ? canvas_ : background_;
}

pixels::Surface Win32Drawing::surfaceOf(platform::Surface which) {
    Canvas& c = canvasOf(which);
    return {c.bits, c.bits ? width_ : 0, c.bits ? height_ : 0, width_};
}

// Only the canvas is ever pushed; what changes on the background is not counted.
platform::Rect* Win32Drawing::damageOf(platform::Surface which) {
    return which == platform::Surface::Canvas ? &damage_ : nullptr;
}

std::unique_ptr<platform::Painter> Win32Drawing::paint(platform::Surface target) {
    HDC dc = static_cast<HDC>(canvasOf(target).dc);
    if (direct_ || !dc) {
        if (dc && target == platform::Surface::Canvas) damage_ = {0, 0, width_, height_};
        return std::make_unique<GdiplusPainter>(dc);
    }
    return std::make_unique<FastPainter>(surfaceOf(target), dc, masks_, damageOf(target));
}

void Win32Drawing::copyRect(platform::Surface from, platform::Surface to, const platform::Rect& r) {
    if (!canvasOf(from).bits || !canvasOf(to).bits) return;
    pixels::Surface dest = surfaceOf(to);
    platform::Rect changed = pixels::copy(dest, surfaceOf(from), r);
    if (platform::Rect* damage = damageOf(to)) *damage = pixels::unite(*damage, changed);
}

// Only what changed since the last push goes to the window when nothing else changed: a scroll
// step of the licence updates its box, not the whole window. A push that changes nothing is
// left out.
void Win32Drawing::push(void* window, int x, int y, int width, int height, std::uint8_t alpha) {
    if (!canvas_.dc) return;
    PushState now{window, x, y, width, height, alpha, true};
    bool same = now == lastPush_;
    if (same && pixels::empty(damage_) && !direct_) return;
    RECT dirty = {0, 0, width, height};
    if (same && !direct_) {
        dirty = {damage_.x, damage_.y, damage_.x + damage_.width, damage_.y + damage_.height};
    }
    POINT position = {x, y};
    SIZE size = {width, height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    UPDATELAYEREDWINDOWINFO info = {};
    info.cbSize = sizeof info;
    info.hdcDst = static_cast<HDC>(screenDc_);
    info.pptDst = &position;
    info.psize = &size;
    info.hdcSrc = static_cast<HDC>(canvas_.dc);
    info.pptSrc = &source;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    info.prcDirty = &dirty;
    UpdateLayeredWindowIndirect(static_cast<HWND>(window), &info);
    lastPush_ = now;
    damage_ = {};
}

// Measured with its CRs: Wine then counts a trailing blank line as Windows does.
platform::Size Win32Drawing::measureText(std::u16string_view text, float size, int layoutWidth) {
    if (text.empty() || !ensureGdiplus()) return {};
    // Measured on the screen's context, also before the canvases exist.
    HDC screen = static_cast<HDC>(screenDc_);
    HDC borrowed = screen ? nullptr : GetDC(nullptr);
    Graphics graphics(screen ? screen : borrowed);
    Font font(platform::TextFont{size, false});
    StringFormat format(Gdiplus::StringFormatFlagsLineLimit |
                        Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    Gdiplus::CharacterRange range(0, INT(text.size()));
    gp::GdipSetStringFormatMeasurableCharacterRanges(format.get(), 1, &range);
    Gdiplus::RectF layout(0, 0, float(layoutWidth), kUnboundedHeight);
    Gdiplus::GpRegion* region = nullptr;
    platform::Size result;
    if (gp::GdipCreateRegion(&region) == Gdiplus::Ok) {
        Gdiplus::GpRect bounds;
        if (gp::GdipMeasureCharacterRanges(graphics.get(), units(text), INT(text.size()),
                                           font.get(), layout, format.get(), 1,
                                           &region) == Gdiplus::Ok &&
            gp::GdipGetRegionBoundsI(region, graphics.get(), &bounds) == Gdiplus::Ok) {
            result = {bounds.Width, bounds.Height};
        }
        gp::GdipDeleteRegion(region);
    }
    if (borrowed) ReleaseDC(nullptr, borrowed);
    return result;
}

float Win32Drawing::pathTextWidth(std::u16string_view text, const platform::TextFont& wanted) {
    if (!ensureGdiplus()) return 0;
    FontFamily family;
    StringFormat format(platform::TextFormat{platform::Align::Centre, platform::Align::Centre});
    Gdiplus::GpPath* path = nullptr;
    if (!family.get() || gp::GdipCreatePath(Gdiplus::FillModeAlternate, &path) != Gdiplus::Ok) {
        return 0;
    }
    Gdiplus::RectF origin(0, 0, 0, 0);
    Gdiplus::GpRectF bounds(0, 0, 0, 0);
    if (gp::GdipAddPathString(path, units(text), INT(text.size()), family.get(), styleOf(wanted),
                              wanted.size, &origin, format.get()) != Gdiplus::Ok ||
        gp::GdipGetPathWorldBounds(path, &bounds, nullptr, nullptr) != Gdiplus::Ok) {
        bounds.Width = 0;
    }
    gp::GdipDeletePath(path);
    return bounds.Width;
}

const std::uint32_t* Win32Drawing::pixels(platform::Surface surface) const {
    return surface == platform::Surface::Canvas ? canvas_.bits : background_.bits;
}

}  // namespace win32
