#include "WizardHarness.h"

#include <windows.h>
// GDI+ needs the COM types the lean windows.h leaves out.
#include <objidl.h>
#include <wtypes.h>
// After the types above.
#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>

#include "package/ImageBundle.h"
#include "text/MessageTable.h"
#include "wizard/DisplayScale.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

namespace wiz {

namespace gp = Gdiplus::DllExports;

const Language kLanguages[5] = {
    {2052, "zh"}, {1033, "en"}, {1040, "it"}, {1031, "de"}, {1042, "ko"}};

win32::GdiplusSession* WizardSurface::session_ = nullptr;

void WizardSurface::SetUpTestSuite() {
    session_ = new win32::GdiplusSession;
}

void WizardSurface::TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
}

void WizardSurface::SetUp() {
    ASSERT_TRUE(session_->started());
    saved_ = platform::os();
    platform::os().drawing = &drawing_;
    platform::os().pictures = &pictures_;
    platform::os().windows = &host_;
    platform::os().folders = &picker_;
    wizardState = WizardState{};
    windowSurface = WindowSurface{};
    setDisplayDpi(kDesignDpi);
    ASSERT_TRUE(BuildWindowSurface());
    makeWindowGraphics();
    ASSERT_TRUE(windowSurface.open);
}

void WizardSurface::TearDown() {
    DestroyWindowSurface();
    setDisplayDpi(kDesignDpi);
    wizardState = WizardState{};
    platform::os() = saved_;
}

std::vector<std::uint8_t> testData(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"TESTDATA");
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    auto* p = static_cast<const std::uint8_t*>(LockResource(loaded));
    return p ? std::vector<std::uint8_t>(p, p + SizeofResource(nullptr, found))
             : std::vector<std::uint8_t>{};
}

void WizardSurface::applyLanguage(std::uint32_t langId) {
    buildMessageTable(langId);
    renewWidgetTexts();
    std::vector<std::uint8_t> licence = testData(400 + languageIndex(langId));
    std::u16string text;
    for (std::size_t i = 2; i + 1 < licence.size(); i += 2) {
        text.push_back(char16_t(licence[i] | licence[i + 1] << 8));
    }
    wizardWidgets.licenceView.setText(text);
    wizardWidgets.pathLabel.setText(u"C:\\Program Files (x86)\\Brenmark\\KorvelServerV6");

    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(250), L"RES_IMAGE_DATA");
    ASSERT_NE(found, nullptr);
    auto* bundle = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
    loadImageBundle(bundle, SizeofResource(nullptr, found), *bundlePictures);
    wizardWidgets.progressSlideshow.frames = bundlePictures.get();
}

void WizardSurface::composePage(WizardPage page) {
    for (int p = 0; p < kPageCount; ++p) wizardState.pageAlpha[p] = p == page ? 255 : 0;
    wizardState.currentPage = page;
    ComposeFullFrame();
}

std::uint32_t WizardSurface::raw(int x, int y) const {
    return drawing_.pixels(platform::Surface::Canvas)[y * drawing_.width() + x];
}

Pixel WizardSurface::pixel(int x, int y) const {
    std::uint32_t v = raw(x, y);
    Pixel p;
    p.a = int(v >> 24);
    auto straight = [&](int c) { return p.a ? std::min(255, (c * 255 + p.a / 2) / p.a) : 0; };
    p.r = straight(int(v >> 16 & 255));
    p.g = straight(int(v >> 8 & 255));
    p.b = straight(int(v & 255));
    return p;
}

int WizardSurface::pixelsUnlike(const platform::Rect& rect, std::uint32_t rgb,
                                int tolerance) const {
    int count = 0;
    for (int y = rect.y; y < rect.y + rect.height; ++y) {
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            Pixel p = pixel(x, y);
            bool similar = std::abs(p.r - int(rgb >> 16 & 255)) <= tolerance &&
                           std::abs(p.g - int(rgb >> 8 & 255)) <= tolerance &&
                           std::abs(p.b - int(rgb & 255)) <= tolerance;
            if (!similar || p.a < 0xFE) ++count;
        }
    }
    return count;
}

int WizardSurface::brightest(const platform::Rect& rect) const {
    int best = 0;
    for (int y = rect.y; y < rect.y + rect.height; ++y) {
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            Pixel p = pixel(x, y);
            best = std::max(best, p.r + p.g + p.b);
        }
    }
    return best;
}

namespace {

// {557CF406-1A04-11D3-9A73-0000F81EF32E}
const CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

}  // namespace

bool WizardSurface::saveCanvas(const std::wstring& path) const {
    const std::uint32_t* bits = drawing_.pixels(platform::Surface::Canvas);
    if (!bits) return false;
    // The canvas holds premultiplied colours.
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromScan0(
            drawing_.width(), drawing_.height(), drawing_.width() * 4, PixelFormat32bppPARGB,
            reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(bits)), &bitmap) != Gdiplus::Ok) {
        return false;
    }
    bool saved =
        gp::GdipSaveImageToFile(bitmap, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    gp::GdipDisposeImage(bitmap);
    return saved;
}

Image loadPng(const std::wstring& path) {
    Image image;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok) return image;
    UINT w = 0, h = 0;
    gp::GdipGetImageWidth(bitmap, &w);
    gp::GdipGetImageHeight(bitmap, &h);
    Gdiplus::GpRect all(0, 0, INT(w), INT(h));
    Gdiplus::BitmapData data = {};
    if (gp::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                               &data) == Gdiplus::Ok) {
        image.width = int(w);
        image.height = int(h);
        for (UINT y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
            image.pixels.insert(image.pixels.end(), row, row + w);
        }
        gp::GdipBitmapUnlockBits(bitmap, &data);
    }
    gp::GdipDisposeImage(bitmap);
    return image;
}

std::wstring winePath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path.push_back(c == '/' ? L'\\' : wchar_t(c));
    return path;
}

}  // namespace wiz
