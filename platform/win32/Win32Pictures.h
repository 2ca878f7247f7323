// Pictures decoded by GDI+ from memory streams: bundle entries and "PNG"/"BMP" resources of
// the executable. GDI+ must be running (the installer starts it first thing; the tools and
// tests hold a GdiplusSession).
#pragma once

#include <cstdint>

#include "platform/Pictures.h"

namespace win32 {

class Win32Pictures : public platform::Pictures {
public:
    std::unique_ptr<platform::Picture> decode(const std::uint8_t* bytes, std::size_t size) override;
    std::unique_ptr<platform::Picture> loadResource(int id, const char16_t* type) override;
};

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
