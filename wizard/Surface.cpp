#include "wizard/Surface.h"

#include "platform/WindowHost.h"
#include "text/MessageTable.h"
#include "wizard/DisplayScale.h"
#include "wizard/InstallerInit.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/Pages.h"
#include "wizard/Records.h"
#include "wizard/ScaledDrawing.h"
#include "wizard/TouchInput.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

WindowSurface windowSurface;
void (*startupDecision)() = nullptr;

namespace {

constexpr std::uint32_t kEnglish = 1033;
constexpr std::uint8_t kHiddenAlpha = 15;  // a page at or below this is not drawn

void paintBackground() {
    auto painter = layoutPainter(platform::Surface::Background);
    painter->fillRect({1, 1, kWindowWidth - 2, kWindowHeight - 2}, kBodyColour);
    painter->frameRect({0, 0, kWindowWidth - 1, kWindowHeight - 1}, kBorderColour);
}

void drawSeparator() {
    layoutPainter(platform::Surface::Canvas)
        ->line(0, kSeparatorY, kWindowWidth - 1, kSeparatorY, kBorderColour);
}

void restore(const platform::Rect& rect) {
    copyLayoutRect(platform::Surface::Background, platform::Surface::Canvas, rect);
}

}  // namespace

bool BuildWindowSurface() {
    windowSurface.graphics = false;
    widgetGraphics = false;
    resetKeyboardFocus();
    resetTouchInput();
    buildMessageTable(kEnglish);
    createWidgets();
    createInstallRecords();
    if (startupDecision) startupDecision();
    return true;
}

void makeWindowGraphics() {
    WindowSurface& s = windowSurface;
    if (s.graphics) return;
    s.graphics = widgetGraphics = true;
    s.open = platform::drawing().openSurfaces(s.window, s.windowSize.width, s.windowSize.height);
    paintBackground();
    loadWidgetPictures();
    measureWidgets();
    decodeWaitingPictures();
}

void showWindowSurface() {
    makeWindowGraphics();
    platform::windowHost().show(windowSurface.window, true);
}

void ComposeFullFrame() {
    if (!windowSurface.graphics) return;
    restore({0, 0, kWindowWidth, kWindowHeight});
    // Inside the picture area: a page picture drawn next covers it as far as its page shows.
    wizardWidgets.closeButton.draw(255, true);
    for (int p = 0; p < kPageCount; ++p) {
        std::uint8_t alpha = wizardState.pageAlpha[p];
        if (alpha <= kHiddenAlpha) continue;
        const PageLayout& page = pageLayout(WizardPage(p));
        for (Widget* w : page.capture) w->draw(alpha, true);
        copyLayoutRect(platform::Surface::Canvas, platform::Surface::Background, kPictureArea);
        for (Widget* w : page.overlay) w->draw(alpha, true);
        if (alpha > page.separatorAbove) drawSeparator();
    }
    PushFrame();
}

void RepaintDirtyWidgets() {
    if (!windowSurface.graphics) return;
    ImageButton& close = wizardWidgets.closeButton;
    platform::Rect rect;
    if (close.dirty && close.restoreRect(rect)) restore(rect);
    for (int p = 0; p < kPageCount; ++p) {
        if (wizardState.pageAlpha[p] == 0) continue;
        for (Widget* w : pageLayout(WizardPage(p)).repaint) {
            if (w->dirty && w->restoreRect(rect)) restore(rect);
        }
    }
    close.dirty = false;
    close.draw(255, true);
    for (int p = 0; p < kPageCount; ++p) {
        std::uint8_t alpha = wizardState.pageAlpha[p];
        if (alpha <= kHiddenAlpha) continue;
        for (Widget* w : pageLayout(WizardPage(p)).repaint) w->draw(alpha, false);
    }
    PushFrame();
}

void PushFrame() {
    const WindowSurface& s = windowSurface;
    if (!s.graphics) return;
    platform::drawing().push(s.window, s.windowPos.x, s.windowPos.y, s.windowSize.width,
                             s.windowSize.height, wizardState.windowAlpha);
}

void paintTick(bool changed) {
    if (wizardState.fullComposePending) {
        ComposeFullFrame();
    } else if (changed) {
        RepaintDirtyWidgets();
    }
    wizardState.fullComposePending = false;
}

void rescaleWindowSurface(unsigned dpi, platform::Point position) {
    setDisplayDpi(dpi);
    WindowSurface& s = windowSurface;
    s.windowPos = position;
    s.windowSize = scaledSize({kWindowWidth, kWindowHeight});
    if (!s.graphics) return;
    s.open = platform::drawing().openSurfaces(s.window, s.windowSize.width, s.windowSize.height);
    paintBackground();
    loadDensityPictures();
    // A view without a text stays unmeasured: it must not scroll a gap.
    if (wizardWidgets.licenceView.totalHeight != 0) wizardWidgets.licenceView.measured = false;
    measureWidgets();
    ComposeFullFrame();
}

bool DestroyWindowSurface() {
    if (wizardState.timerRunning != 0) {
        platform::windowHost().stopTimer(windowSurface.window, wizardState.timerRunning);
        wizardState.timerRunning = 0;
    }
    releaseWidgets();
    resetKeyboardFocus();
    releaseInstallRecords();
    if (windowSurface.graphics) platform::drawing().closeSurfaces();
    windowSurface.open = windowSurface.graphics = false;
    widgetGraphics = true;
    return true;
}
