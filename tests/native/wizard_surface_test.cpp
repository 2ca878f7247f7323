#include "WizardFakes.h"
#include "package/Package.h"
#include "platform/Threads.h"
#include "text/MessageTable.h"
#include "wizard/Pages.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

namespace {

using fake::DrawOp;
using Lines = std::vector<std::string>;

class Surface : public wizfake::WizardTest {
protected:
    // The full compose's outline: the copies, the pictures with their opacity, the frames and
    // lines, the push.
    Lines outline() const {
        return ops({DrawOp::Copy, DrawOp::Picture, DrawOp::Frame, DrawOp::Line, DrawOp::Push});
    }
    int countOf(const std::string& line) const {
        Lines all = drawing.lines();
        return int(std::count(all.begin(), all.end(), line));
    }
    void composeClean() {
        ComposeFullFrame();
        drawing.clear();
    }
};

const std::string kFullRestore = "copy background>canvas 0,0 538x375";
const std::string kCapture = "copy canvas>background 1,1 536x303";
const std::string kSeparator = "line 0,305-537,305 FE969696";
const std::string kCloseFrame = "frame 512,7 16x16 78969696";

TEST_F(Surface, TheBuildCreatesEnglishWidgetsRunsTheStartupDecisionAndTheShowPaintsTheBackground) {
    addPageResources();
    bool decided = false;
    static bool* seen = nullptr;
    seen = &decided;
    startupDecision = [] {
        // Everything exists by now, in English.
        *seen =
            installConfig && bundlePictures && wizardWidgets.statusLabel.text == u"Preparing ...";
    };
    ASSERT_TRUE(BuildWindowSurface());
    EXPECT_TRUE(decided);
    // Nothing graphic before the window is shown: no canvas, picture or measure.
    EXPECT_FALSE(windowSurface.open);
    EXPECT_TRUE(drawing.ops.empty());
    EXPECT_TRUE(pictures.decodedSizes().empty());
    EXPECT_EQ(wizardWidgets.languagePicture.picture, nullptr);
    EXPECT_EQ(wizardWidgets.selectLanguageLabel.height, 0);
    makeWindowGraphics();
    EXPECT_TRUE(windowSurface.open);
    Lines all = drawing.lines();
    Lines first(all.begin(), all.begin() + 5);
    EXPECT_EQ(first, (Lines{"open 538x375", "paint background", "fill 1,1 536x373 FE3B7EC0",
                            "frame 0,0 537x374 FE969696", "end"}));
    // Nothing is drawn on the canvas before the first tick.
    EXPECT_EQ(countOf("paint canvas"), 0);
    EXPECT_EQ(drawing.count(DrawOp::Push), 0);

    const WizardWidgets& w = wizardWidgets;
    EXPECT_EQ(w.titleLabel.text, u"License Agreement");
    EXPECT_EQ(w.agreeButton.text, u"Agree");
    EXPECT_EQ(w.deviceLabel.text, u"Please plug in the multitouch device ...");
    EXPECT_EQ(w.selectLanguageLabel.text, u"Select Language:");
    EXPECT_EQ(w.licenceView.scrollOffset, -95);
    EXPECT_EQ(w.licenceView.totalHeight, 0);
    EXPECT_EQ(w.pathWidthLimit, 480);
    EXPECT_EQ(w.progressSlideshow.frames, nullptr);
    EXPECT_NE(w.licencePicture.singlePicture, nullptr);
    EXPECT_FALSE(w.licencePicture.running);
    for (const ImageButton& b : w.languageButtons) EXPECT_TRUE(b.enabled && b.dirty);
    EXPECT_EQ(installConfig->fileTree, nullptr);
    for (const auto& slot : bundlePictures->slots) EXPECT_EQ(slot, nullptr);
    DestroyWindowSurface();
}

TEST_F(Surface, ABuildWithoutCanvasesStillCreatesEverythingAndReportsSuccess) {
    addPageResources();
    fake::faults().failOperation("drawing.openSurfaces");
    ASSERT_TRUE(BuildWindowSurface());
    EXPECT_FALSE(windowSurface.open);
    EXPECT_NE(installConfig, nullptr);
    EXPECT_TRUE(wizardWidgets.closeButton.enabled);
    DestroyWindowSurface();
}

TEST_F(Surface, TheLanguagePageComposesOverTheBackgroundWithItsSeparatorAbove240) {
    build();
    show(LanguagePage);
    ComposeFullFrame();
    Lines expected = {kFullRestore, kCloseFrame, "picture 1,1 536x304 1"};
    for (const LanguageButtonPlace& place : kLanguageButtonPlaces) {
        expected.push_back("picture " + std::to_string(place.x) + "," + std::to_string(place.y) +
                           " 60x16 1");
        expected.push_back("frame " + std::to_string(place.x) + ",330 60x16 FE969696");
    }
    expected.insert(expected.end(), {kCapture, kSeparator, "push 100,50 538x375 alpha 15"});
    EXPECT_EQ(outline(), expected);
    EXPECT_EQ(ops({DrawOp::Text}),
              (Lines{"text 'x' 16 (512,7 16x16) centre/centre 78FFFFFF",
                     "text 'Select Language:' 14 (88,339 0x0) centre/centre FEFFFFFF"}));
    EXPECT_EQ(drawing.ops.back().window, reinterpret_cast<void*>(0x5EED));

    // At 240 the language page has no separator yet.
    show(LanguagePage, 240);
    drawing.clear();
    ComposeFullFrame();
    EXPECT_EQ(countOf(kSeparator), 0);
    EXPECT_EQ(countOf("picture 1,1 536x304 0.941176"), 1);
}

TEST_F(Surface, ACrossFadeSkipsAPageAt15AndDrawsBothAboveItInPageOrder) {
    build();
    wizardState.pageAlpha[LanguagePage] = 240;
    wizardState.pageAlpha[LicencePage] = 15;
    ComposeFullFrame();
    EXPECT_EQ(countOf(kCapture), 1);
    EXPECT_EQ(countOf("picture 1,1 536x304 0.0588235"), 0);

    wizardState.pageAlpha[LanguagePage] = 225;
    wizardState.pageAlpha[LicencePage] = 30;
    drawing.clear();
    ComposeFullFrame();
    Lines o = outline();
    // Language page at 225 (no separator), then the licence page at 30 with its separator.
    auto firstCapture = std::find(o.begin(), o.end(), kCapture);
    auto secondCapture = std::find(firstCapture + 1, o.end(), kCapture);
    ASSERT_NE(secondCapture, o.end());
    EXPECT_EQ(std::count(o.begin(), firstCapture, "picture 1,1 536x304 0.882353"), 1);
    EXPECT_EQ(std::count(firstCapture, secondCapture, "picture 1,1 536x304 0.117647"), 1);
    EXPECT_EQ(std::count(o.begin(), secondCapture, kSeparator), 0);
    EXPECT_EQ(std::count(secondCapture, o.end(), kSeparator), 1);
    // The licence page's buttons are overlays: drawn after its capture, scaled to 30.
    auto browse = std::find(o.begin(), o.end(), "frame 274,343 81x24 1D969696");
    EXPECT_GT(browse, secondCapture);
    // 0xFE * 30 / 255 = 29.9: 29.
    EXPECT_EQ(countOf("text 'Agree' 12 (362,344 81x24) centre/centre 1DFFFFFF"), 1);
}

TEST_F(Surface, TheDeviceAndProgressPagesAlwaysShowTheSeparatorAndTheSlideshowAtAFifth) {
    build();
    PictureTable frames;
    frames.slots[0] = pictures.decode(wizfake::bmp(536, 304).data(), 54);
    wizardWidgets.progressSlideshow.frames = &frames;

    show(DevicePage, 30);
    ComposeFullFrame();
    EXPECT_EQ(outline(), (Lines{kFullRestore, kCloseFrame, "picture 1,1 536x304 0.117647", kCapture,
                                kSeparator, "push 100,50 538x375 alpha 15"}));
    EXPECT_EQ(countOf("text 'Please plug in the multitouch device ...' 12 (20,335 500x30) "
                      "centre/near 1DFFFFFF"),
              1);

    show(ProgressPage);
    drawing.clear();
    ComposeFullFrame();
    EXPECT_EQ(outline(), (Lines{kFullRestore, kCloseFrame, "picture 1,1 536x304 0.2", kCapture,
                                kSeparator, "push 100,50 538x375 alpha 15"}));
    EXPECT_EQ(countOf("text 'Preparing ...' 12 (21,326 500x30) centre/near 64000000"), 1);
    wizardWidgets.progressSlideshow.frames = nullptr;
}

TEST_F(Surface, AFullComposeLeavesTheDrawnPagesCleanAndTheHiddenOnesAsTheyWere) {
    build();
    show(LicencePage);
    ComposeFullFrame();
    for (Widget* w : pageLayout(LicencePage).repaint) EXPECT_FALSE(w->dirty);
    EXPECT_FALSE(wizardWidgets.closeButton.dirty);
    EXPECT_TRUE(wizardWidgets.deviceLabel.dirty);
    EXPECT_TRUE(wizardWidgets.languageButtons[0].dirty);
}

TEST_F(Surface, ADirtyRepaintRestoresAndRedrawsOnlyDirtyWidgetsAndTheCloseButtonAlways) {
    build();
    show(LanguagePage);
    composeClean();
    ImageButton& english = wizardWidgets.languageButtons[1];
    ASSERT_TRUE(english.hoverTest(230, 330, true));
    RepaintDirtyWidgets();
    EXPECT_EQ(outline(),
              (Lines{"copy background>canvas 230,330 60x16", kCloseFrame, "picture 230,330 60x16 1",
                     "frame 230,330 60x16 FEFFFFFF", "push 100,50 538x375 alpha 15"}));

    // Nothing dirty: the close button alone, without its restore, then the push.
    drawing.clear();
    RepaintDirtyWidgets();
    EXPECT_EQ(outline(), (Lines{kCloseFrame, "push 100,50 538x375 alpha 15"}));

    // A dirty close button is restored first, at its draw origin; the German button at its
    // picture's place, one row above its frame.
    wizardWidgets.closeButton.hoverTest(512, 7, true);
    ASSERT_TRUE(wizardWidgets.languageButtons[3].hoverTest(370, 330, true));
    ASSERT_FALSE(english.hoverTest(370, 330, false));  // leaving English: dirty again
    drawing.clear();
    RepaintDirtyWidgets();
    EXPECT_EQ(ops({DrawOp::Copy}),
              (Lines{"copy background>canvas 512,8 16x16", "copy background>canvas 230,330 60x16",
                     "copy background>canvas 370,329 60x16"}));
    EXPECT_EQ(countOf("frame 512,7 16x16 78FFFFFF"), 1);
    EXPECT_EQ(countOf("frame 230,330 60x16 FE969696"), 1);
    EXPECT_FALSE(wizardWidgets.closeButton.dirty);
}

TEST_F(Surface, TheLicenceViewScrollsOverItsRestoredBoxAndThePictureDrawsWithoutRestore) {
    build();
    show(LicencePage);
    wizardWidgets.licenceView.setText(u"Licence\r\n");
    composeClean();
    wizardWidgets.licenceView.dirty = true;
    wizardWidgets.licencePicture.dirty = true;
    wizardWidgets.titleLabel.setText(u"Lizenz");
    RepaintDirtyWidgets();
    EXPECT_EQ(ops({DrawOp::Copy}), (Lines{"copy background>canvas 42,47 450x31",
                                          "copy background>canvas 42,76 450x190"}));
    // Drawn in the repaint list's order: title, picture, licence text.
    Lines o = ops({DrawOp::Picture, DrawOp::Clip, DrawOp::Text});
    ASSERT_GE(o.size(), 6u);
    EXPECT_EQ(o[0], "text 'x' 16 (512,7 16x16) centre/centre 78FFFFFF");
    EXPECT_EQ(o[1], "text 'Lizenz' 25b (268,63 0x0) centre/centre 50000000");
    EXPECT_EQ(o[2], "text 'Lizenz' 25b (267,61 0x0) centre/centre FEFFFFFF");
    EXPECT_EQ(o[3], "picture 1,1 536x304 1");
    EXPECT_EQ(o[4], "clip 42,76 450x190");
}

TEST_F(Surface, PagesAt15AreRestoredButNotDrawnAndPagesAt0AreLeftAlone) {
    build();
    show(ProgressPage, 15);
    wizardState.pageAlpha[DevicePage] = 0;
    composeClean();
    wizardWidgets.statusLabel.setText(u"Copying file \r\nx");
    wizardWidgets.deviceLabel.setText(u"ignored");
    RepaintDirtyWidgets();
    EXPECT_EQ(ops({DrawOp::Copy}), (Lines{"copy background>canvas 20,325 500x30"}));
    EXPECT_EQ(drawing.count(DrawOp::Text), 1);  // the close button's
    EXPECT_TRUE(wizardWidgets.statusLabel.dirty);
    EXPECT_TRUE(wizardWidgets.deviceLabel.dirty);
}

TEST_F(Surface, ATickComposesWhenPendingRepaintsWhenChangedAndPushesNothingWhenIdle) {
    build();
    show(LanguagePage);
    wizardState.windowAlpha = 35;
    paintTick(false);
    EXPECT_EQ(countOf(kFullRestore), 1);
    EXPECT_FALSE(wizardState.fullComposePending);
    drawing.clear();
    paintTick(false);
    EXPECT_TRUE(drawing.ops.empty());
    paintTick(true);
    EXPECT_EQ(ops({DrawOp::Copy, DrawOp::Push}), (Lines{"push 100,50 538x375 alpha 35"}));

    // A push goes where the window was dragged, with the window's alpha.
    windowSurface.windowPos = {-20, 700};
    wizardState.windowAlpha = 255;
    drawing.clear();
    PushFrame();
    EXPECT_EQ(ops({DrawOp::Push}), (Lines{"push -20,700 538x375 alpha 255"}));
}

TEST_F(Surface, ButtonsFireTheActionsThePageFlowSets) {
    build();
    show(LanguagePage);
    ComposeFullFrame();
    auto click = [](ImageButton& b, int x, int y) {
        ASSERT_TRUE(b.pressTest(x, y, true));
        b.releaseTest(x, y);
    };
    // No actions set yet: clicks do nothing.
    click(wizardWidgets.closeButton, 520, 15);
    int closes = 0, agrees = 0;
    std::vector<std::uint32_t> languages;
    clickActions.close = [&] { ++closes; };
    clickActions.agree = [&] { ++agrees; };
    clickActions.language = [&](std::uint32_t id) { languages.push_back(id); };
    for (ImageButton& b : wizardWidgets.languageButtons) click(b, b.hitLeft + 5, 335);
    EXPECT_EQ(languages, (std::vector<std::uint32_t>{2052, 1033, 1040, 1031, 1042}));
    click(wizardWidgets.closeButton, 520, 15);
    click(wizardWidgets.disagreeButton, 460, 350);
    click(wizardWidgets.agreeButton, 370, 350);
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(agrees, 1);
    click(wizardWidgets.browseButton, 280, 350);
    EXPECT_EQ(picker.titles.size(), 1u);
}

TEST_F(Surface, ALanguageButtonWithoutItsPictureShowsItsFrameAndIgnoresThePointer) {
    // Every language picture but the Italian one, and no licence or device picture.
    fake::FakePictures sparse;
    for (int id : {207, 210, 226, 239}) sparse.addResource(id, u"PNG", wizfake::png(60, 16));
    sparse.addResource(204, u"BMP", wizfake::bmp(536, 304));
    platform::os().pictures = &sparse;
    ASSERT_TRUE(BuildWindowSurface());
    makeWindowGraphics();
    ImageButton& italian = wizardWidgets.languageButtons[2];
    EXPECT_FALSE(italian.enabled);
    EXPECT_FALSE(italian.pressTest(305, 335, true));
    show(LanguagePage);
    drawing.clear();
    ComposeFullFrame();
    EXPECT_EQ(countOf("frame 300,330 60x16 FE969696"), 1);
    EXPECT_EQ(countOf("picture 300,330 60x16 1"), 0);
    // The device and licence pictures are missing too: nothing drawn in their place.
    show(DevicePage);
    drawing.clear();
    ComposeFullFrame();
    EXPECT_EQ(drawing.count(DrawOp::Picture), 0);
    DestroyWindowSurface();
    platform::os().pictures = &pictures;
}

TEST_F(Surface, ALanguageRenewsTheTextsItOwnsAndMeasuresTheTitleAgain) {
    build();
    buildMessageTable(1031);
    wizardWidgets.deviceLabel.dirty = false;
    renewWidgetTexts();
    const WizardWidgets& w = wizardWidgets;
    EXPECT_EQ(w.titleLabel.text, messageText(MSG_LICENSE_TITLE));
    EXPECT_EQ(w.browseButton.text, messageText(MSG_BROWSE));
    EXPECT_EQ(w.agreeButton.text, messageText(MSG_AGREE));
    EXPECT_EQ(w.disagreeButton.text, messageText(MSG_DISAGREE));
    EXPECT_EQ(w.deviceLabel.text, messageText(MSG_PLUG_DEVICE));
    EXPECT_EQ(w.statusLabel.text, messageText(MSG_PREPARING));
    EXPECT_TRUE(w.deviceLabel.dirty);
    EXPECT_EQ(w.selectLanguageLabel.text, u"Select Language:");
    EXPECT_EQ(ops({DrawOp::Measure}).size(), 1u);
    EXPECT_EQ(drawing.ops[0].font.size, 25);
}

struct HeldThread : platform::ThreadHandle {
    void wait() override {}
};

TEST_F(Surface, TeardownStopsARunningTimerFreesEverythingAndReleasesTheCanvases) {
    build();
    wizardState.timerRunning = 1;
    DestroyWindowSurface();
    EXPECT_EQ(host.calls, (Lines{"stop 1"}));
    EXPECT_EQ(wizardState.timerRunning, 0);
    EXPECT_EQ(ops({DrawOp::Close}), (Lines{"close"}));
    EXPECT_EQ(installConfig, nullptr);
    EXPECT_EQ(bundlePictures, nullptr);
    EXPECT_EQ(wizardWidgets.languagePicture.picture, nullptr);
    EXPECT_EQ(wizardWidgets.languageButtons[0].normalPicture, nullptr);
    EXPECT_TRUE(wizardWidgets.titleLabel.text.empty());
    EXPECT_FALSE(windowSurface.open);

    // With the timer already stopped, no KillTimer.
    host.calls.clear();
    build();
    DestroyWindowSurface();
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(Surface, TeardownDetachesAConfigurationAWorkerMayStillRead) {
    build();
    InstallConfig* config = installConfig;
    config->running = true;
    config->workerThread = std::make_unique<HeldThread>();
    DestroyWindowSurface();
    EXPECT_EQ(installConfig, nullptr);
    EXPECT_FALSE(config->running);
    EXPECT_EQ(config->workerThread, nullptr);
    releaseInstallConfig(config);  // the process end would free it
}

}  // namespace
