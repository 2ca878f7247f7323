#include "platform/win32/Win32Drawing.h"

#include <windows.h>
// GDI+ needs the COM stream and property types that the lean windows.h leaves out.
#include <objidl.h>
#include <wtypes.h>
// After the types above.
#include <gdiplus.h>

#include <string>

#include "platform/Pictures.h"
#include "platform/win32/Wide.h"

namespace win32 {

namespace {

namespace gp = Gdiplus::DllExports;

constexpr float kUnboundedHeight = 32767;

// Wine's GDI+ draws the CR of a CR LF as a missing-glyph box where Windows draws nothing; the
// LF alone breaks the line the same way on both, so the CR before an LF is not drawn.
std::u16string withoutCrBeforeLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        out.push_back(text[i]);
    }
    return out;
}

const WCHAR* units(std::u16string_view text) {
    return reinterpret_cast<const WCHAR*>(text.data());
}

// Arial, or the generic sans-serif family when Arial cannot be had.
class FontFamily {
public:
    FontFamily() {
        if (gp::GdipCreateFontFamilyFromName(L"Arial", nullptr, &family_) != Gdiplus::Ok) {
            family_ = nullptr;
            if (gp::GdipGetGenericFontFamilySansSerif(&family_) != Gdiplus::Ok) family_ = nullptr;
        }
    }
    ~FontFamily() {
        if (family_) gp::GdipDeleteFontFamily(family_);
    }
    FontFamily(const FontFamily&) = delete;
    FontFamily& operator=(const FontFamily&) = delete;
    Gdiplus::GpFontFamily* get() const { return family_; }

private:
    Gdiplus::GpFontFamily* family_ = nullptr;
};

int styleOf(const platform::TextFont& wanted) {
    return wanted.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
}

class Font {
public:
    explicit Font(const platform::TextFont& wanted) {
        if (!family_.get() || gp::GdipCreateFont(family_.get(), wanted.size, styleOf(wanted),
                                                 Gdiplus::UnitPixel, &font_) != Gdiplus::Ok) {
            font_ = nullptr;
        }
    }
    ~Font() {
        if (font_) gp::GdipDeleteFont(font_);
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    Gdiplus::GpFont* get() const { return font_; }

private:
    FontFamily family_;
    Gdiplus::GpFont* font_ = nullptr;
};

Gdiplus::StringAlignment alignmentOf(platform::Align a) {
    switch (a) {
        case platform::Align::Centre:
            return Gdiplus::StringAlignmentCenter;
        case platform::Align::Far:
            return Gdiplus::StringAlignmentFar;
        case platform::Align::Near:
            break;
    }
    return Gdiplus::StringAlignmentNear;
}

class StringFormat {
public:
    explicit StringFormat(INT flags = 0) {
        if (gp::GdipCreateStringFormat(flags, LANG_NEUTRAL, &format_) != Gdiplus::Ok) {
            format_ = nullptr;
        }
    }
    explicit StringFormat(const platform::TextFormat& format) : StringFormat(0) {
        if (!format_) return;
        gp::GdipSetStringFormatAlign(format_, alignmentOf(format.horizontal));
        gp::GdipSetStringFormatLineAlign(format_, alignmentOf(format.vertical));
    }
    ~StringFormat() {
        if (format_) gp::GdipDeleteStringFormat(format_);
    }
    StringFormat(const StringFormat&) = delete;
    StringFormat& operator=(const StringFormat&) = delete;
    Gdiplus::GpStringFormat* get() const { return format_; }

private:
    Gdiplus::GpStringFormat* format_ = nullptr;
};

// A solid brush, or a vertical gradient through four colours.
class Brush {
public:
    explicit Brush(const platform::Brush& wanted) {
        if (!wanted.gradient) {
            Gdiplus::GpSolidFill* solid = nullptr;
            if (gp::GdipCreateSolidFill(wanted.colours[0], &solid) == Gdiplus::Ok) brush_ = solid;
            return;
        }
        Gdiplus::GpRect area(wanted.area.x, wanted.area.y, wanted.area.width, wanted.area.height);
        Gdiplus::GpLineGradient* line = nullptr;
        if (gp::GdipCreateLineBrushFromRectI(&area, wanted.colours[0], wanted.colours[3],
                                             Gdiplus::LinearGradientModeVertical,
                                             Gdiplus::WrapModeTile, &line) != Gdiplus::Ok) {
            return;
        }
        Gdiplus::ARGB colours[4];
        Gdiplus::REAL positions[4];
        for (int i = 0; i < 4; ++i) {
            colours[i] = wanted.colours[i];
            positions[i] = wanted.positions[i];
        }
        gp::GdipSetLinePresetBlend(line, colours, positions, 4);
        brush_ = line;
    }
    ~Brush() {
        if (brush_) gp::GdipDeleteBrush(brush_);
    }
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;
    Gdiplus::GpBrush* get() const { return brush_; }

private:
    Gdiplus::GpBrush* brush_ = nullptr;
};

class Pen {
public:
    explicit Pen(std::uint32_t argb) {
        if (gp::GdipCreatePen1(argb, 1.0f, Gdiplus::UnitWorld, &pen_) != Gdiplus::Ok)
            pen_ = nullptr;
    }
    ~Pen() {
        if (pen_) gp::GdipDeletePen(pen_);
    }
    Pen(const Pen&) = delete;
    Pen& operator=(const Pen&) = delete;
    Gdiplus::GpPen* get() const { return pen_; }

private:
    Gdiplus::GpPen* pen_ = nullptr;
};

class Graphics {
public:
    explicit Graphics(HDC dc) {
        if (!dc || gp::GdipCreateFromHDC(dc, &graphics_) != Gdiplus::Ok) graphics_ = nullptr;
    }
    ~Graphics() {
        if (graphics_) gp::GdipDeleteGraphics(graphics_);
    }
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;
    Gdiplus::GpGraphics* get() const { return graphics_; }

private:
    Gdiplus::GpGraphics* graphics_ = nullptr;
};

// Every call on a graphics that could not be made fails inside GDI+ and draws nothing.
class Win32Painter : public platform::Painter {
public:
    explicit Win32Painter(HDC dc) : graphics_(dc) {}

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
        // At full opacity the colour matrix is the identity: the same pixels come out without
        // it, at a third of the cost under Wine.
        Gdiplus::GpImageAttributes* attributes = nullptr;
        if (opacity < 1.0f) {
            if (gp::GdipCreateImageAttributes(&attributes) != Gdiplus::Ok) return;
            Gdiplus::ColorMatrix matrix = {};
            for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
            matrix.m[3][3] = opacity;
            gp::GdipSetImageAttributesColorMatrix(attributes, Gdiplus::ColorAdjustTypeDefault, TRUE,
                                                  &matrix, nullptr,
                                                  Gdiplus::ColorMatrixFlagsDefault);
        }
        gp::GdipDrawImageRectRectI(graphics_.get(), image, dest.x, dest.y, dest.width, dest.height,
                                   0, 0, dest.width, dest.height, Gdiplus::UnitPixel, attributes,
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
    if (screenDc_) ReleaseDC(nullptr, static_cast<HDC>(screenDc_));
    screenDc_ = nullptr;
}

Win32Drawing::Canvas& Win32Drawing::canvasOf(platform::Surface surface) {
    return surface == platform::Surface::Canvas ? canvas_ : background_;
}

std::unique_ptr<platform::Painter> Win32Drawing::paint(platform::Surface target) {
    return std::make_unique<Win32Painter>(static_cast<HDC>(canvasOf(target).dc));
}

void Win32Drawing::copyRect(platform::Surface from, platform::Surface to, const platform::Rect& r) {
    HDC source = static_cast<HDC>(canvasOf(from).dc);
    HDC dest = static_cast<HDC>(canvasOf(to).dc);
    if (!source || !dest) return;
    BitBlt(dest, r.x, r.y, r.width, r.height, source, r.x, r.y, SRCCOPY);
}

void Win32Drawing::push(void* window, int x, int y, int width, int height, std::uint8_t alpha) {
    if (!canvas_.dc) return;
    POINT position = {x, y};
    SIZE size = {width, height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    UpdateLayeredWindow(static_cast<HWND>(window), static_cast<HDC>(screenDc_), &position, &size,
                        static_cast<HDC>(canvas_.dc), &source, 0, &blend, ULW_ALPHA);
}

// Measured with its CRs: Wine then counts a trailing blank line as Windows does.
platform::Size Win32Drawing::measureText(std::u16string_view text, float size, int layoutWidth) {
    if (text.empty()) return {};
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
