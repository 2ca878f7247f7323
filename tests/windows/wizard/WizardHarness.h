// The wizard's surface on the real GDI+ without a window: the canvases are DIB sections whose
// pixels the tests read, pictures come from the program's own resources (art/pictures.rc), and
// the texts of a language are set as installer initialisation sets them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/FakeFolderPicker.h"
#include "platform/fake/FakeWindowHost.h"
#include "platform/win32/Win32Drawing.h"
#include "platform/win32/Win32Pictures.h"
#include "wizard/WizardState.h"

namespace wiz {

// Straight (not premultiplied) colour of a canvas pixel.
struct Pixel {
    int a = 0, r = 0, g = 0, b = 0;
    std::uint32_t rgb() const { return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b; }
};

// An image read back from a PNG file, each pixel 0xAARRGGBB straight.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

class WizardSurface : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Installer initialisation as far as the pictures and texts go: the message table, the
    // renewed widget texts, the demo licence of the language, the installation folder label,
    // the image bundle as the progress slideshow's frames.
    void applyLanguage(std::uint32_t langId);
    // Only `page` shows, fully; then a full compose.
    void composePage(WizardPage page);

    Pixel pixel(int x, int y) const;
    std::uint32_t raw(int x, int y) const;
    // Pixels inside the rectangle whose colour differs from the body colour by more than
    // `tolerance` in any channel, or that are not opaque.
    int pixelsUnlike(const platform::Rect& rect, std::uint32_t rgb, int tolerance = 3) const;
    // The brightest red+green+blue inside the rectangle.
    int brightest(const platform::Rect& rect) const;

    // The canvas as a PNG file; false when GDI+ cannot write it.
    bool saveCanvas(const std::wstring& path) const;

    static win32::GdiplusSession* session_;
    win32::Win32Drawing drawing_;
    win32::Win32Pictures pictures_;
    fake::FakeWindowHost host_;
    fake::FakeFolderPicker picker_;

private:
    platform::Platform saved_;
};

// The PNG file as straight ARGB pixels; an empty image when it cannot be read.
Image loadPng(const std::wstring& path);

// A Unix path as Wine sees it ("Z:\...").
std::wstring winePath(const std::string& unixPath);

// Bytes of a TESTDATA resource of this program.
std::vector<std::uint8_t> testData(int id);

// LANGIDs of the five languages in button order, with a short name each.
struct Language {
    std::uint32_t langId;
    const char* code;
};
extern const Language kLanguages[5];

}  // namespace wiz
