// Drawing with GDI and the GDI+ flat interface. The canvases are 32-bit top-down DIB sections,
// so GDI+ keeps their per-pixel alpha and the pixels can be read back. GDI+ lays out and
// rasterises each text once and decodes each picture once; every frame after that is blended
// in plain code from what it made (the same pixels, at a small part of the cost), and only the
// part of the canvas that changed is pushed. GDI+ must be running.
#pragma once

#include <cstdint>

#include "platform/Drawing.h"
#include "platform/PixelBlend.h"
#include "platform/win32/TextMasks.h"

namespace win32 {

class Win32Drawing : public platform::Drawing {
public:
    ~Win32Drawing() override;

    bool openSurfaces(void* window, int width, int height) override;
    void closeSurfaces() override;
    std::unique_ptr<platform::Painter> paint(platform::Surface target) override;
    void copyRect(platform::Surface from, platform::Surface to,
                  const platform::Rect& rect) override;
    void push(void* window, int x, int y, int width, int height, std::uint8_t alpha) override;
    platform::Size measureText(std::u16string_view text, float size, int layoutWidth) override;
    float pathTextWidth(std::u16string_view text, const platform::TextFont& font) override;

    // The pixels of a canvas, top row first, each 0xAARRGGBB as GDI+ left it (the colour
    // premultiplied by its alpha); none while the surfaces are closed.
    const std::uint32_t* pixels(platform::Surface surface) const;
    int width() const { return width_; }
    int height() const { return height_; }
    // Every draw straight through GDI+ and every push whole, as before any keeping: the
    // reference the kept drawing is compared with.
    void drawDirectly(bool direct) { direct_ = direct; }

private:
    struct PushState {
        void* window = nullptr;
        int x = 0, y = 0, width = 0, height = 0;
        std::uint8_t alpha = 0;
        bool made = false;
        bool operator==(const PushState&) const = default;
    };
    struct Canvas {
        void* dc = nullptr;      // HDC
        void* bitmap = nullptr;  // HBITMAP
        void* saved = nullptr;   // the object selected before the bitmap
        std::uint32_t* bits = nullptr;
    };
    bool openCanvas(Canvas& canvas, void* windowDc);
    void closeCanvas(Canvas& canvas);
    Canvas& canvasOf(platform::Surface surface);
    pixels::Surface surfaceOf(platform::Surface which);
    platform::Rect* damageOf(platform::Surface which);

    void* screenDc_ = nullptr;  // HDC
    Canvas canvas_, background_;
    int width_ = 0, height_ = 0;
    TextMasks masks_;
    platform::Rect damage_;  // of the canvas since the last push
    PushState lastPush_;
    bool direct_ = false;
};

}  // namespace win32
