// The frames blended from kept glyph masks and picture pixels against the same frames drawn
// straight through GDI+, pixel by pixel: every page in every language, the licence text at
// several scroll positions, every step of a cross-fade and a slideshow building up. GDI+ is
// the reference; the kept drawing may differ only by the rounding of a picture's opacity.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "WizardHarness.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

namespace wiz {
namespace {

constexpr int kMostApart = 2;  // per channel

class KeptDrawing : public WizardSurface {
protected:
    std::vector<std::uint32_t> canvas() const {
        const std::uint32_t* bits = drawing_.pixels(platform::Surface::Canvas);
        return {bits, bits + drawing_.width() * drawing_.height()};
    }

    // Runs the same frames twice, through GDI+ and kept, from the same start; the largest
    // channel difference between the two canvases after each frame.
    template <typename Frames>
    int largestDifference(Frames frames) {
        std::vector<std::vector<std::uint32_t>> direct, kept;
        for (bool straight : {true, false}) {
            drawing_.drawDirectly(straight);
            frames([&] { (straight ? direct : kept).push_back(canvas()); });
        }
        drawing_.drawDirectly(false);
        int worst = 0;
        for (std::size_t f = 0; f < direct.size() && f < kept.size(); ++f) {
            for (std::size_t i = 0; i < direct[f].size(); ++i) {
                for (int shift = 0; shift < 32; shift += 8) {
                    int a = int(direct[f][i] >> shift & 255), b = int(kept[f][i] >> shift & 255);
                    if (std::abs(a - b) <= worst) continue;
                    worst = std::abs(a - b);
                    worstAt_ = "frame " + std::to_string(f) + " at " +
                               std::to_string(i % std::size_t(drawing_.width())) + "," +
                               std::to_string(i / std::size_t(drawing_.width())) + ": GDI+ " +
                               hex(direct[f][i]) + ", kept " + hex(kept[f][i]);
                }
            }
        }
        EXPECT_EQ(direct.size(), kept.size());
        return worst;
    }

    static std::string hex(std::uint32_t v) {
        char text[16];
        std::snprintf(text, sizeof text, "%08X", v);
        return text;
    }

    std::string worstAt_;  // where the largest difference lies, for the failure message

    // The same start for both runs: the picture area holds what the last full compose
    // captured, so an opaque page is composed first.
    void startFrom(WizardPage page) {
        wizardWidgets.licenceView.scrollOffset = 0;
        wizardWidgets.progressSlideshow.drawCount = 0;
        bundlePictures->current = 0;
        composePage(DevicePage);
        composePage(page);
    }
};

TEST_F(KeptDrawing, EveryPageInEveryLanguageLooksAsGdiplusDrawsIt) {
    for (const Language& language : kLanguages) {
        applyLanguage(language.langId);
        for (int page = 0; page < kPageCount; ++page) {
            int worst = largestDifference([&](auto snapshot) {
                startFrom(WizardPage(page));
                snapshot();
            });
            EXPECT_LE(worst, kMostApart) << language.code << " page " << page << ", " << worstAt_;
        }
    }
}

TEST_F(KeptDrawing, TheLicenceScrollsAsGdiplusDrawsIt) {
    applyLanguage(1033);
    int worst = largestDifference([&](auto snapshot) {
        startFrom(LicencePage);
        LicenceView& view = wizardWidgets.licenceView;
        view.scrolling = true;
        // Through the first paragraphs, then across the end of the text into its next round.
        for (int step = 0; step < 60; ++step) {
            view.scrollStep();
            view.scrollStep();
            RepaintDirtyWidgets();
            if (step % 7 == 0) snapshot();
            if (step == 40) view.scrollOffset = view.totalHeight - 120;
        }
    });
    EXPECT_LE(worst, kMostApart) << worstAt_;
}

TEST_F(KeptDrawing, ACrossFadeAndTheSlideshowLookAsGdiplusDrawsThem) {
    applyLanguage(1031);
    int worst = largestDifference([&](auto snapshot) {
        startFrom(LicencePage);
        for (int a = 15; a <= 255; a += 15) {
            wizardState.pageAlpha[LicencePage] = std::uint8_t(255 - a);
            wizardState.pageAlpha[ProgressPage] = std::uint8_t(a);
            ComposeFullFrame();
            snapshot();
        }
        for (int tick = 0; tick < 30; ++tick) {
            wizardWidgets.progressSlideshow.dirty = true;
            RepaintDirtyWidgets();
            if (tick % 5 == 0) snapshot();
        }
    });
    // Each step of the fade is drawn over the last one's capture, so a level of rounding in a
    // translucent step can carry into the next: within the reference renders' tolerance.
    EXPECT_LE(worst, 8) << worstAt_;
}

}  // namespace
}  // namespace wiz
