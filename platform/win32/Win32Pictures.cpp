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

// An image and, for resource pictures, the memory block its stream reads from: GDI+ may read
// the stream for as long as the image lives, so the block goes only after the image.
class Win32Picture : public platform::Picture {
public:
    Win32Picture(Gdiplus::GpImage* image, HGLOBAL block) : image_(image), block_(block) {}
    ~Win32Picture() override {
        if (image_) gp::GdipDisposeImage(image_);
        if (block_) GlobalFree(block_);
    }
    bool dimensions(unsigned& width, unsigned& height) override {
        UINT w = 0, h = 0;
        if (!image_ || gp::GdipGetImageWidth(image_, &w) != Gdiplus::Ok ||
            gp::GdipGetImageHeight(image_, &h) != Gdiplus::Ok) {
            return false;
        }
        width = w;
        height = h;
        return true;
    }
    void* image() override { return image_; }

private:
    Gdiplus::GpImage* image_;
    HGLOBAL block_;
};

// None for a stream GDI+ cannot decode; the picture around it then stays in an error state.
// The image holds its own reference to the stream.
Gdiplus::GpImage* loadImage(IStream* stream) {
    Gdiplus::GpImage* image = nullptr;
    if (gp::GdipLoadImageFromStream(stream, &image) != Gdiplus::Ok) return nullptr;
    return image;
}

}  // namespace

std::unique_ptr<platform::Picture> Win32Pictures::decode(const std::uint8_t* bytes,
                                                         std::size_t size) {
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

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) token_ = token;
}

GdiplusSession::~GdiplusSession() {
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace win32
