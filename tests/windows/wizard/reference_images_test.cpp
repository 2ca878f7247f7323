// Every page in every language drawn by the real GDI+ with Debian's fonts, written as a PNG
// under the build folder and compared with the committed reference image of the same name
// (tests/ref_imgs; the language page has one for all languages). After an intended change of the
// pictures or the layout, look at the new renders and copy them over the references
// (scripts/update-ref-images).
#include <windows.h>

#include <cstdlib>

#include "WizardHarness.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

namespace wiz {
namespace {

constexpr int kTolerance = 8;  // per channel, for antialiasing that moves by a shade

const char* const kPageNames[kPageCount] = {"language", "licence", "device", "progress"};

class ReferenceImages : public WizardSurface {
protected:
    // Composes the page as the wizard shows it once settled: the licence text from its first
    // line, the slideshow after two dozen ticks.
    void settle(WizardPage page) {
        wizardWidgets.licenceView.scrollOffset = 0;
        wizardWidgets.progressSlideshow.drawCount = 0;
        bundlePictures->current = 0;
        composePage(page);
        for (int i = 0; page == ProgressPage && i < 24; ++i) {
            wizardWidgets.progressSlideshow.dirty = true;
            RepaintDirtyWidgets();
        }
    }

    // Pixels of the render that differ from the reference by more than the tolerance in any
    // channel (alpha included); every pixel when the reference is missing or of another size.
    static int mismatches(const Image& render, const Image& reference) {
        if (reference.width != render.width || reference.height != render.height) {
            return render.width * render.height;
        }
        int count = 0;
        for (std::size_t i = 0; i < render.pixels.size(); ++i) {
            for (int shift = 0; shift < 32; shift += 8) {
                int a = int(render.pixels[i] >> shift & 255);
                int b = int(reference.pixels[i] >> shift & 255);
                if (std::abs(a - b) > kTolerance) {
                    ++count;
                    break;
                }
            }
        }
        return count;
    }

    // The render of the settled page under `name` in the build folder, compared with the
    // reference of `referenceName`.
    void checkRender(WizardPage page, const std::string& name, const std::string& referenceName) {
        std::string dir = std::string(TS_BINARY_DIR) + "/wizard-pages";
        CreateDirectoryW(winePath(dir).c_str(), nullptr);
        settle(page);
        std::wstring renderPath = winePath(dir + "/" + name);
        ASSERT_TRUE(saveCanvas(renderPath)) << name;
        Image render = loadPng(renderPath);
        Image reference =
            loadPng(winePath(std::string(TS_SOURCE_DIR) + "/tests/ref_imgs/" + referenceName));
        EXPECT_EQ(mismatches(render, reference), 0) << name << ": compare " << dir << "/" << name
                                                    << " with tests/ref_imgs/" << referenceName;
    }

    void checkPage(WizardPage page) {
        for (const Language& language : kLanguages) {
            applyLanguage(language.langId);
            std::string name = std::string(kPageNames[page]) + "_" + language.code + ".png";
            // The language page is the same in every language: one reference for all five.
            checkRender(page, name, page == LanguagePage ? "language.png" : name);
        }
    }

    // The page in English on a screen of the density, the window made again at its size.
    void checkDensePage(WizardPage page, unsigned dpi) {
        applyLanguage(1033);
        rescaleWindowSurface(dpi, {0, 0});
        ASSERT_EQ(drawing_.width(), windowSurface.windowSize.width);
        std::string name = std::string(kPageNames[page]) + (page == LanguagePage ? "" : "_en") +
                           "_" + std::to_string(dpi) + "dpi.png";
        checkRender(page, name, name);
    }
};

TEST_F(ReferenceImages, LanguagePage) {
    checkPage(LanguagePage);
}

TEST_F(ReferenceImages, LicencePage) {
    checkPage(LicencePage);
}

TEST_F(ReferenceImages, DevicePage) {
    checkPage(DevicePage);
}

TEST_F(ReferenceImages, ProgressPage) {
    checkPage(ProgressPage);
}

TEST_F(ReferenceImages, LanguageAndLicencePagesOnDenseScreens) {
    for (unsigned dpi : {144u, 192u}) {
        checkDensePage(LanguagePage, dpi);
        checkDensePage(LicencePage, dpi);
    }
}

}  // namespace
}  // namespace wiz
