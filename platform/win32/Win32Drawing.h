// Drawing with GDI and the GDI+ flat interface. The canvases are 32-bit top-down DIB sections,
// so GDI+ keeps their per-pixel alpha and the pixels can be read back. GDI+ must be running.
#pragma once

#include <cstdint>

#include "platform/Drawing.h"

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

private:
    struct Canvas {
        void* dc = nullptr;      // HDC
        void* bitmap = nullptr;  // HBITMAP
        void* saved = nullptr;   // the object selected before the bitmap
        std::uint32_t* bits = nullptr;
    };
    bool openCanvas(Canvas& canvas, void* windowDc);
    void closeCanvas(Canvas& canvas);
    Canvas& canvasOf(platform::Surface surface);

    void* screenDc_ = nullptr;  // HDC
    Canvas canvas_, background_;
    int width_ = 0, height_ = 0;
};

}  // namespace win32
