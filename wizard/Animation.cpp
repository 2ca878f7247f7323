#include "wizard/Animation.h"

#include <algorithm>
#include <string>

#include "platform/WindowHost.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/Pages.h"
#include "wizard/Surface.h"
#include "wizard/TouchInput.h"
#include "wizard/Widgets.h"
#include "wizard/WizardTrace.h"

void (*pageShown)(WizardPage page) = nullptr;
void (*timerMissing)() = nullptr;

namespace {

void trace(const char* event, std::u16string_view text = {}) {
    traceWizard(event, text);
}

constexpr std::uint8_t kPageStep = 15;
constexpr std::uint8_t kWindowStep = 20;

// For the test build's record: a status line once it is on the screen in a settled frame (its
// page and the window fully shown, nothing left to paint), each text once.
std::u16string shownStatus;

void goWithoutTimer() {
    trace("no timer");
    wizardState.inputEnabled = false;
    platform::windowHost().show(windowSurface.window, false);
    if (timerMissing) timerMissing();
}

void stepPage(int page) {
    WizardState& s = wizardState;
    std::uint8_t& alpha = s.pageAlpha[page];
    if (page == s.currentPage && alpha < 255) {
        if (alpha == 0 && page == LicencePage) wizardWidgets.licenceView.scrolling = true;
        if (alpha == 0 && page == ProgressPage) wizardWidgets.progressSlideshow.running = true;
        alpha = std::uint8_t(std::min(255, alpha + kPageStep));
        s.fullComposePending = true;
        if (alpha == 255) {
            s.inputEnabled = true;
            static const char* const shown[kPageCount] = {"page 0", "page 1", "page 2", "page 3"};
            trace(shown[page]);
            if (pageShown) pageShown(WizardPage(page));
        }
    } else if (page != s.currentPage && alpha != 0) {
        alpha = std::uint8_t(std::max(0, alpha - kPageStep));
        if (alpha == 0 && s.currentPage == DevicePage) wizardWidgets.licenceView.scrolling = false;
        s.fullComposePending = true;
    }
}

bool stepWindowFade() {
    WizardState& s = wizardState;
    if (s.fadeMode == FadeIn) {
        if (s.windowAlpha >= 255) return false;
        s.windowAlpha = std::uint8_t(std::min(255, s.windowAlpha + kWindowStep));
        if (s.windowAlpha == 255) {
            s.inputEnabled = true;
            trace("window shown");
        }
        return true;
    }
    if (s.windowAlpha > kWindowHidden) {
        s.windowAlpha = std::uint8_t(std::max<int>(kWindowHidden, s.windowAlpha - kWindowStep));
        return true;
    }
    if (s.timerRunning != 0) {
        platform::windowHost().stopTimer(windowSurface.window, s.timerRunning);
        s.timerRunning = 0;
        platform::windowHost().show(windowSurface.window, false);
    }
    if (s.fadeMode == FadeOutClose) platform::windowHost().postClose(windowSurface.window);
    return false;
}

bool isDirty(const Widget& w) {
    return w.dirty;
}

// A running slideshow draws on every tick, building its picture up over the last one.
bool stepSlideshow(Slideshow& show) {
    bool changed = show.dirty;
    if (show.running) {
        show.dirty = true;
        changed = true;
    }
    return changed;
}

bool stepWidgets() {
    WizardWidgets& w = wizardWidgets;
    bool changed = isDirty(w.closeButton);
    for (const ImageButton& b : w.languageButtons) changed |= isDirty(b);
    // A scroll step is painted on the next tick.
    changed |= isDirty(w.licenceView);
    w.licenceView.scrollStep();
    changed |= stepSlideshow(w.licencePicture);
    changed |= isDirty(w.pathLabel);
    changed |= isDirty(w.browseButton);
    changed |= isDirty(w.agreeButton);
    changed |= isDirty(w.disagreeButton);
    changed |= stepSlideshow(w.progressSlideshow);
    changed |= isDirty(w.statusLabel);
    return changed;
}

void traceShownStatus() {
    if (!wizardTrace) return;
    const WizardState& s = wizardState;
    const TextLabel& status = wizardWidgets.statusLabel;
    bool settled = !status.dirty && !s.fullComposePending && s.pageAlpha[ProgressPage] == 255 &&
                   s.windowAlpha == 255;
    if (!settled || status.text == shownStatus) return;
    shownStatus = status.text;
    trace("shown", status.text);
}

}  // namespace

void resetAnimation() {
    shownStatus.clear();
}

bool startTimer() {
    if (wizardState.timerRunning != 0) return true;
    if (!platform::windowHost().startTimer(windowSurface.window, kWizardTimer, kTickMs)) {
        goWithoutTimer();
        return false;
    }
    wizardState.timerRunning = kWizardTimer;
    return true;
}

void fadeInWindow() {
    wizardState.fadeMode = FadeIn;
    if (startTimer()) showWindowSurface();
}

bool stepAnimations() {
    followPageFocus();
    for (int page = 0; page < kPageCount; ++page) stepPage(page);
    bool changed = wizardState.fullComposePending;
    changed |= stepWindowFade();
    stepTouchFling();
    changed |= stepWidgets();
    return changed;
}

void onTimer() {
    paintTick(stepAnimations());
    traceShownStatus();
}
