// The wizard driven by keys and fingers on the fake machine, tick by tick: the focus each page
// starts with, Tab and Shift+Tab, Enter and Space, Esc and Alt+F4 as the close button, the
// reader's scroll of the licence with its pause, the focus ring that only a key brings, and a
// finger that scrolls the licence or taps a button.
#include <gtest/gtest.h>

#include <algorithm>

#include "run/DeviceWait.h"
#include "run/RunEnd.h"
#include "tests/support/WizardMachine.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/PointerInput.h"
#include "wizard/Records.h"
#include "wizard/TouchInput.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

using namespace testpkg;

namespace {

constexpr int kEnglishX = 250, kFlagY = 338;

bool untilInput(WizardMachine& w) {
    return w.tickUntil([] { return wizardState.inputEnabled; });
}

// A licence long enough to scroll: 40 lines of 15 pixels under the fake metrics.
std::u16string longLicence() {
    std::u16string text;
    for (int i = 0; i < 40; ++i) text += u"Line of the licence\r\n";
    return text;
}

struct Keyboard : testing::Test {
    WizardMachine w;
    WizardWidgets& widgets = wizardWidgets;

    void toLicencePage() {
        w.start();
        ASSERT_TRUE(untilInput(w));
        ASSERT_TRUE(onKey(WizardKey::Enter));  // English, the fake user's language
        ASSERT_TRUE(untilInput(w));
        ASSERT_EQ(wizardState.currentPage, LicencePage);
    }
    bool ringDrawnAround(const ImageButton& b) {
        std::string ring = "frame " + std::to_string(b.hitLeft - 2) + "," +
                           std::to_string(b.hitTop - 2) + " " + std::to_string(b.width + 4) + "x" +
                           std::to_string(b.height + 4);
        auto frames = w.drawing.lines({fake::DrawOp::Frame});
        return std::any_of(frames.begin(), frames.end(),
                           [&](const std::string& f) { return f.rfind(ring, 0) == 0; });
    }
};

}  // namespace

TEST_F(Keyboard, AWholeInstallationByKeysInGerman) {
    w.host.userLanguage = 0x0807;  // German (Switzerland): the German button
    w.start();
    // Keys during the window's fade-in do nothing, and the focus waits on the German button.
    EXPECT_FALSE(onKey(WizardKey::Enter));
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
    EXPECT_EQ(keyboardFocus.button, &widgets.languageButtons[3]);
    ASSERT_TRUE(untilInput(w));

    EXPECT_TRUE(onKey(WizardKey::Enter));
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    EXPECT_TRUE(widgets.agreeButton.text == u"Stimme zu") << "German texts loaded";
    // While the licence page fades in nothing can be pressed twice by a held key.
    EXPECT_FALSE(onKey(WizardKey::Enter));
    ASSERT_TRUE(untilInput(w));
    EXPECT_EQ(keyboardFocus.button, &widgets.agreeButton);

    EXPECT_TRUE(onKey(WizardKey::Space));
    EXPECT_EQ(wizardState.currentPage, DevicePage);
    ASSERT_TRUE(untilInput(w));
    EXPECT_EQ(keyboardFocus.button, &widgets.closeButton);
    w.plugTouchDevice();
    onDeviceChange(0x0007, nullptr, 0);
    EXPECT_EQ(wizardState.currentPage, ProgressPage);
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
}

TEST_F(Keyboard, TabCyclesThePageButtonsThenCloseAndShiftTabGoesBack) {
    toLicencePage();
    std::vector<ImageButton*> seen;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(onKey(WizardKey::Tab));
        seen.push_back(keyboardFocus.button);
    }
    EXPECT_EQ(seen, (std::vector<ImageButton*>{&widgets.disagreeButton, &widgets.closeButton,
                                               &widgets.browseButton, &widgets.agreeButton}));
    ASSERT_TRUE(onKey(WizardKey::ShiftTab));
    EXPECT_EQ(keyboardFocus.button, &widgets.browseButton);
    ASSERT_TRUE(onKey(WizardKey::ShiftTab));
    EXPECT_EQ(keyboardFocus.button, &widgets.closeButton);
    // Exactly one button holds the focus.
    int focused = 0;
    for (ImageButton* b : focusOrder(LicencePage)) focused += b->focused ? 1 : 0;
    EXPECT_EQ(focused, 1);
    EXPECT_TRUE(widgets.closeButton.focused);

    // Enter on the close button fades the window out; the window ends without installing.
    ASSERT_TRUE(onKey(WizardKey::Enter));
    EXPECT_EQ(wizardState.fadeMode, FadeOutClose);
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitNotStarted);
}

TEST_F(Keyboard, TheLanguagePageStartsOnTheUsersLanguageWhenItIsOneOfTheFive) {
    struct Case {
        std::uint16_t langId;
        int button;
    } cases[] = {{2052, 0}, {4100, 0}, {1028, 1}, {1033, 1}, {2057, 1}, {1040, 2},
                 {2064, 2}, {1031, 3}, {3079, 3}, {1042, 4}, {1036, 1}, {0, 1}};
    for (const Case& c : cases) {
        WizardMachine m;
        m.host.userLanguage = c.langId;
        m.start();
        m.tick();
        EXPECT_EQ(keyboardFocus.button, &wizardWidgets.languageButtons[c.button])
            << "LANGID " << c.langId;
    }
}

TEST_F(Keyboard, AButtonWithoutItsPictureIsSkipped) {
    w.host.userLanguage = 1031;
    w.start();
    ASSERT_TRUE(untilInput(w));
    // As when the German picture was missing from the resources: the button is disabled.
    widgets.languageButtons[3].enabled = false;
    std::vector<ImageButton*> order = focusOrder(LanguagePage);
    EXPECT_EQ(order.size(), 5u);
    EXPECT_TRUE(std::find(order.begin(), order.end(), &widgets.languageButtons[3]) == order.end());
    EXPECT_EQ(initialFocus(LanguagePage), &widgets.languageButtons[0]);
}

TEST_F(Keyboard, EscapeAndAltF4AreTheCloseButtonAndWaitForInput) {
    w.start();
    EXPECT_FALSE(onCloseKey()) << "nothing is pressed during the fade-in";
    EXPECT_FALSE(onKey(WizardKey::Escape));
    ASSERT_TRUE(untilInput(w));
    EXPECT_TRUE(onKey(WizardKey::Escape));
    EXPECT_EQ(wizardState.fadeMode, FadeOutClose);
    EXPECT_FALSE(wizardState.inputEnabled);
    EXPECT_FALSE(onCloseKey());
    w.runUntilClosed();
    EXPECT_TRUE(w.closed());
    EXPECT_EQ(w.exitStatus(), kExitNotStarted);

    WizardMachine again;
    again.start();
    ASSERT_TRUE(untilInput(again));
    EXPECT_TRUE(onCloseKey());
    again.runUntilClosed();
    EXPECT_EQ(again.exitStatus(), kExitNotStarted);
}

TEST_F(Keyboard, OnTheProgressPageEnterCancelsOnlyOnceTheCloseButtonHasTheFocus) {
    toLicencePage();
    ASSERT_TRUE(onKey(WizardKey::Enter));  // Agree
    ASSERT_TRUE(untilInput(w));
    bool enterPressedNothing = false, tabbedToClose = false, cancelled = false;
    // While the worker waits on its second message, as between two of its steps.
    w.window.afterMessage = [&](std::uint32_t) {
        if (w.window.codes.size() != 2) return;
        followPageFocus();
        enterPressedNothing =
            keyboardFocus.button == nullptr && onKey(WizardKey::Enter) && installConfig->running;
        tabbedToClose = onKey(WizardKey::Tab) && keyboardFocus.button == &widgets.closeButton;
        cancelled = onKey(WizardKey::Enter) && !installConfig->running;
    };
    w.plugTouchDevice();
    onDeviceChange(0x0007, nullptr, 0);
    EXPECT_EQ(wizardState.currentPage, ProgressPage);
    w.runUntilClosed();
    EXPECT_TRUE(enterPressedNothing);
    EXPECT_TRUE(tabbedToClose);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(w.exitStatus(), kExitRolledBack);
}

TEST_F(Keyboard, TheFocusRingAppearsOnlyOnceAKeyWasUsed) {
    w.start();
    ASSERT_TRUE(untilInput(w));
    ImageButton& english = widgets.languageButtons[1];
    ImageButton& italian = widgets.languageButtons[2];
    // With the mouse only, a hover repaint draws the button as it always did.
    onMouseMove(kEnglishX, kFlagY);
    w.tick();
    EXPECT_FALSE(ringDrawnAround(english));
    auto repaint = w.drawing.lines({fake::DrawOp::Copy});
    EXPECT_NE(std::find(repaint.begin(), repaint.end(), "copy background>canvas 230,330 60x16"),
              repaint.end());
    w.drawing.clear();

    ASSERT_TRUE(onKey(WizardKey::Tab));  // English had the focus: Italian now
    w.tick();
    EXPECT_TRUE(ringDrawnAround(italian));
    EXPECT_FALSE(ringDrawnAround(english));
    // English's old ring is wiped: its restore covers the ring's lines.
    auto copies = w.drawing.lines({fake::DrawOp::Copy});
    EXPECT_TRUE(std::find(copies.begin(), copies.end(), "copy background>canvas 228,328 65x21") !=
                copies.end());
}

TEST_F(Keyboard, LicenceKeysScrollWithinTheTextAndPauseTheAutomaticScroll) {
    toLicencePage();
    LicenceView& view = widgets.licenceView;
    view.setText(longLicence());
    ASSERT_EQ(view.totalHeight, 30 + 40 * 15);
    int last = view.totalHeight - 30 - view.height;
    ASSERT_EQ(view.lastReaderOffset(), last);

    // From the lead-in below the box, reading starts at the text's start.
    view.scrollOffset = -95;
    ASSERT_TRUE(onKey(WizardKey::Down));
    EXPECT_EQ(view.scrollOffset, kLicenceLineStep);
    ASSERT_TRUE(onKey(WizardKey::PageDown));
    EXPECT_EQ(view.scrollOffset, kLicenceLineStep + view.height - kLicenceLineStep);
    ASSERT_TRUE(onKey(WizardKey::End));
    EXPECT_EQ(view.scrollOffset, last);
    ASSERT_TRUE(onKey(WizardKey::Down));
    EXPECT_EQ(view.scrollOffset, last) << "not past the end";
    ASSERT_TRUE(onKey(WizardKey::Home));
    EXPECT_EQ(view.scrollOffset, 0);
    ASSERT_TRUE(onKey(WizardKey::Up));
    ASSERT_TRUE(onKey(WizardKey::PageUp));
    EXPECT_EQ(view.scrollOffset, 0) << "not before the start";

    // The automatic scroll waits while the user reads, then goes on from there.
    for (int i = 0; i < kReadingPauseTicks; ++i) w.tick();
    EXPECT_EQ(view.scrollOffset, 0);
    w.tick();
    w.tick();
    EXPECT_EQ(view.scrollOffset, 1);
    // A key resets the pause.
    ASSERT_TRUE(onKey(WizardKey::Down));
    int held = view.scrollOffset;
    for (int i = 0; i < 100; ++i) w.tick();
    EXPECT_EQ(view.scrollOffset, held);
}

TEST_F(Keyboard, ScrollKeysDoNothingOffTheLicencePage) {
    w.start();
    ASSERT_TRUE(untilInput(w));
    int before = widgets.licenceView.scrollOffset;
    EXPECT_FALSE(onKey(WizardKey::Down));
    EXPECT_FALSE(onKey(WizardKey::End));
    EXPECT_EQ(widgets.licenceView.scrollOffset, before);
}

TEST_F(Keyboard, AFingerDragsTheLicenceAndLetsTheWindowHaveEveryOtherTouch) {
    toLicencePage();
    LicenceView& view = widgets.licenceView;
    view.setText(longLicence());
    view.scrollOffset = 100;

    EXPECT_FALSE(onTouchDown(400, 355)) << "Agree is the system's to tap";
    EXPECT_FALSE(onTouchDown(100, 300)) << "below the text box";
    ASSERT_TRUE(onTouchDown(100, 200));
    EXPECT_TRUE(touchScrolling());
    onTouchMove(100, 160);  // up by 40: the text follows the finger
    EXPECT_EQ(view.scrollOffset, 140);
    onTouchMove(100, 260);
    EXPECT_EQ(view.scrollOffset, 40);
    onTouchMove(100, 1000);
    EXPECT_EQ(view.scrollOffset, 0);
    onTouchUp();
    EXPECT_FALSE(touchScrolling());
    onTouchMove(100, 100);
    EXPECT_EQ(view.scrollOffset, 0) << "a lifted finger scrolls nothing";
    for (int i = 0; i < 200; ++i) w.tick();
    EXPECT_EQ(view.scrollOffset, 0) << "still paused for the reader";
}

TEST_F(Keyboard, ATapLeavesNoButtonLitAndATouchDuringAFadeIsNotTaken) {
    w.start();
    EXPECT_FALSE(onTouchDown(100, 200));
    ASSERT_TRUE(untilInput(w));
    // A tap reaches the window as a move, a press and a release at one point.
    ImageButton& italian = widgets.languageButtons[2];
    onMouseMove(320, kFlagY);
    onMouseDown(320, kFlagY);
    onMouseUp(320, kFlagY);
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    EXPECT_EQ(italian.state, ButtonState::Hover);
    endTouchTap();
    EXPECT_EQ(italian.state, ButtonState::Normal);
    EXPECT_TRUE(italian.dirty);
    EXPECT_FALSE(onTouchDown(100, 200)) << "the licence page is still fading in";
}

TEST_F(Keyboard, ASwipeGlidesOnAndSlowsDownButAFingerThatRestedStopsTheText) {
    toLicencePage();
    LicenceView& view = widgets.licenceView;
    view.setText(longLicence());
    view.scrollOffset = 0;

    // Up by 40 pixels in the last 16 ms: 2.5 pixels a millisecond, 82 a tick.
    ASSERT_TRUE(onTouchDown(100, 240));
    w.machine.clock.advance(16);
    onTouchMove(100, 230);
    w.machine.clock.advance(16);
    onTouchMove(100, 190);
    w.machine.clock.advance(8);
    onTouchUp();
    EXPECT_EQ(view.scrollOffset, 50);
    w.tick();
    EXPECT_EQ(view.scrollOffset, 50 + 82);
    w.tick();
    EXPECT_EQ(view.scrollOffset, 50 + 82 + 74) << "a tenth slower";
    for (int i = 0; i < 100; ++i) w.tick();
    int rest = view.scrollOffset;
    EXPECT_LE(rest, view.lastReaderOffset());
    EXPECT_GT(rest, 50 + 82 + 74);
    w.tick();
    EXPECT_EQ(view.scrollOffset, rest) << "the glide has ended and the reader's pause holds";

    // The same swipe, but the finger rests 200 ms before it lifts: no glide.
    ASSERT_TRUE(onTouchDown(100, 240));
    w.machine.clock.advance(16);
    onTouchMove(100, 200);
    w.machine.clock.advance(200);
    onTouchUp();
    int held = view.scrollOffset;
    w.tick();
    EXPECT_EQ(view.scrollOffset, held);

    // A swipe down glides back towards the start and stops there.
    view.scrollTo(300);
    ASSERT_TRUE(onTouchDown(100, 100));
    w.machine.clock.advance(10);
    onTouchMove(100, 110);
    w.machine.clock.advance(10);
    onTouchMove(100, 130);
    onTouchUp();
    EXPECT_EQ(view.scrollOffset, 270);
    w.tick();
    EXPECT_EQ(view.scrollOffset, 270 - 66);
    for (int i = 0; i < 10; ++i) w.tick();
    EXPECT_EQ(view.scrollOffset, 0);
}
