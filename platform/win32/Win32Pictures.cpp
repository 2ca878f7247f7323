#include "platform/win32/Win32Pictures.h"

#include <windows.h>
// GDI+ needs the COM stream and property types that the lean windows.h leaves out.
#include <objidl.h>
#include <wtypes.h>
// After the types above.
#include <gdiplus.h>

#include <cstring>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {

namespace gp = Gdiplus::DllExports;

// None for a stream GDI+ cannot decode; the picture around it then stays in an error state.
// The image holds its own reference to the stream.
Gdiplus::GpImage* loadImage(IStream* stream) {
    Gdiplus::GpImage* image = nullptr;
    if (gp::GdipLoadImageFromStream(stream, &image) != Gdiplus::Ok) return nullptr;
    return image;
}

}  // namespace

// GDI+ may read the stream for as long as the image lives, so the block goes only after it.
Win32Picture::~Win32Picture() {
    if (image_) gp::GdipDisposeImage(static_cast<Gdiplus::GpImage*>(image_));
    if (block_) GlobalFree(static_cast<HGLOBAL>(block_));
}

bool Win32Picture::dimensions(unsigned& width, unsigned& height) {
    auto* image = static_cast<Gdiplus::GpImage*>(image_);
    UINT w = 0, h = 0;
    if (!image || gp::GdipGetImageWidth(image, &w) != Gdiplus::Ok ||
        gp::GdipGetImageHeight(image, &h) != Gdiplus::Ok) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

const std::uint32_t* Win32Picture::pixels(unsigned& width, unsigned& height) {
    if (!read_) {
        read_ = true;
        unsigned w = 0, h = 0;
        auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image_);
        Gdiplus::BitmapData data = {};
        Gdiplus::GpRect all(0, 0, INT(w), INT(h));
        if (dimensions(w, h) && w > 0 && h > 0) {
            all = Gdiplus::GpRect(0, 0, INT(w), INT(h));
            if (gp::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead,
                                       PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
                pixels_.resize(std::size_t(w) * h);
                for (unsigned y = 0; y < h; ++y) {
                    std::memcpy(
                        pixels_.data() + std::size_t(y) * w,
                        static_cast<const BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride,
                        std::size_t(w) * 4);
                }
                gp::GdipBitmapUnlockBits(bitmap, &data);
                width_ = w;
                height_ = h;
            }
        }
    }
    width = width_;
    height = height_;
    return pixels_.empty() ? nullptr : pixels_.data();
}

const std::uint32_t* Win32Picture::scaledPixels(int width, int height) {
    if (width == scaledWidth_ && height == scaledHeight_ && !scaled_.empty()) return scaled_.data();
    scaled_.clear();
    scaledWidth_ = scaledHeight_ = 0;
    unsigned w = 0, h = 0;
    auto* image = static_cast<Gdiplus::GpImage*>(image_);
    if (width <= 0 || height <= 0 || !image || !dimensions(w, h)) return nullptr;
    std::vector<std::uint32_t> out(std::size_t(width) * std::size_t(height));
    Gdiplus::GpBitmap* target = nullptr;
    if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                      reinterpret_cast<BYTE*>(out.data()),
                                      &target) != Gdiplus::Ok) {
        return nullptr;
    }
    Gdiplus::GpGraphics* graphics = nullptr;
    Gdiplus::GpImageAttributes* attributes = nullptr;
    bool drawn = false;
    if (gp::GdipGetImageGraphicsContext(target, &graphics) == Gdiplus::Ok &&
        gp::GdipCreateImageAttributes(&attributes) == Gdiplus::Ok) {
        // The edge pixels mirrored outward: the filter does not fade them into nothing.
        gp::GdipSetImageAttributesWrapMode(attributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
        gp::GdipSetCompositingMode(graphics, Gdiplus::CompositingModeSourceCopy);
        gp::GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
        gp::GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
        drawn = gp::GdipDrawImageRectRectI(graphics, image, 0, 0, width, height, 0, 0, INT(w),
                                           INT(h), Gdiplus::UnitPixel, attributes, nullptr,
                                           nullptr) == Gdiplus::Ok;
    }
    if (attributes) gp::GdipDisposeImageAttributes(attributes);
    if (graphics) gp::GdipDeleteGraphics(graphics);
    gp::GdipDisposeImage(target);
    if (!drawn) return nullptr;
    scaled_ = std::move(out);
    scaledWidth_ = width;
    scaledHeight_ = height;
    return scaled_.data();
}

std::unique_ptr<platform::Picture> Win32Pictures::decode(const std::uint8_t* bytes,
                                                         std::size_t size) {
    if (!ensureGdiplus()) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    void* copy = GlobalLock(block);
    if (!copy) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(copy, bytes, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    // The stream owns the block from here: releasing the last reference frees it.
    if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
        GlobalFree(block);
        return nullptr;
    }
    Gdiplus::GpImage* image = loadImage(stream);
    stream->Release();
    return std::make_unique<Win32Picture>(image, nullptr);
}

std::unique_ptr<platform::Picture> Win32Pictures::loadResource(int id, const char16_t* type) {
    if (!ensureGdiplus()) return nullptr;
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), wide(type));
    if (!found) return nullptr;
    DWORD size = SizeofResource(self, found);
    HGLOBAL loaded = LoadResource(self, found);
    if (!loaded || size == 0) return nullptr;
    const void* source = LockResource(loaded);
    HGLOBAL block = source ? GlobalAlloc(GMEM_FIXED, size) : nullptr;
    if (!block) {
        FreeResource(loaded);
        return nullptr;
    }
    std::memcpy(block, source, size);  // a GMEM_FIXED handle is the block's address
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, FALSE, &stream) != S_OK) {
        GlobalFree(block);
        FreeResource(loaded);
        return nullptr;
    }
    Gdiplus::GpImage* image = loadImage(stream);
    GlobalUnlock(block);
    stream->Release();
    FreeResource(loaded);
    return std::make_unique<Win32Picture>(image, block);
}

namespace {
ULONG_PTR processToken = 0;
}  // namespace

bool ensureGdiplus() {
    if (processToken) return true;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    processToken = token;
    return true;
}

void stopGdiplus() {
    if (processToken) Gdiplus::GdiplusShutdown(processToken);
    processToken = 0;
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) token_ = token;
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace win32
