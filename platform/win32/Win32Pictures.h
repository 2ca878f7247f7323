// Pictures decoded by GDI+ from memory streams: bundle entries and "PNG"/"BMP" resources of
// the executable. GDI+ must be running (the installer starts it first thing; the tools and
// tests hold a GdiplusSession).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Pictures.h"

namespace win32 {

// A decoded picture whose pixels can also be read as straight ARGB rows, taken from GDI+ once
// and kept, so that drawing it again and again costs no GDI+ call.
class Win32Picture : public platform::Picture {
public:
    Win32Picture(void* image, void* block) : image_(image), block_(block) {}
    ~Win32Picture() override;
    Win32Picture(const Win32Picture&) = delete;
    Win32Picture& operator=(const Win32Picture&) = delete;
    bool dimensions(unsigned& width, unsigned& height) override;
    void* image() override { return image_; }
    // The pixels, width x height, top row first; none for a picture GDI+ cannot lock.
    const std::uint32_t* pixels(unsigned& width, unsigned& height);
    // The picture resampled smoothly to width x height, made once and kept (for the last size
    // asked: a dense screen draws its pictures at one size); none when GDI+ cannot make it.
    const std::uint32_t* scaledPixels(int width, int height);

private:
    void* image_;  // GpImage*
    void* block_;  // HGLOBAL the image's stream reads from, or none
    std::vector<std::uint32_t> pixels_;
    unsigned width_ = 0, height_ = 0;
    bool read_ = false;
    std::vector<std::uint32_t> scaled_;
    int scaledWidth_ = 0, scaledHeight_ = 0;
};

class Win32Pictures : public platform::Pictures {
public:
    std::unique_ptr<platform::Picture> decode(const std::uint8_t* bytes, std::size_t size) override;
    std::unique_ptr<platform::Picture> loadResource(int id, const char16_t* type) override;
};

// GDI+ started the first time something needs it, for the rest of the process (a run that
// never shows its window never loads it); false when it cannot be started. stopGdiplus shuts
// down what ensureGdiplus started, if anything.
bool ensureGdiplus();
void stopGdiplus();

// GdiplusStartup for as long as the object lives.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool started() const { return token_ != 0; }

private:
    std::uintptr_t token_ = 0;
};

}  // namespace win32
