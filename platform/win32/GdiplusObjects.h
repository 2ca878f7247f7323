// The GDI+ objects the wizard's drawing makes, each released when it goes out of scope, and
// the text as GDI+ is given it. GDI+ must be running.
#pragma once

#include <windows.h>
// GDI+ needs the COM stream and property types that the lean windows.h leaves out.
#include <objidl.h>
#include <wtypes.h>
// After the types above.
#include <gdiplus.h>

#include <string>
#include <string_view>

#include "platform/Drawing.h"

namespace win32 {
namespace gdiplus {

namespace gp = Gdiplus::DllExports;

constexpr float kUnboundedHeight = 32767;

// Wine's GDI+ draws the CR of a CR LF as a missing-glyph box where Windows draws nothing; the
// LF alone breaks the line the same way on both, so the CR before an LF is not drawn.
inline std::u16string withoutCrBeforeLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        out.push_back(text[i]);
    }
    return out;
}

inline const WCHAR* units(std::u16string_view text) {
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

inline int styleOf(const platform::TextFont& wanted) {
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

inline Gdiplus::StringAlignment alignmentOf(platform::Align a) {
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

}  // namespace gdiplus
}  // namespace win32
