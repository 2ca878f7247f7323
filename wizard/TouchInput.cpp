#include "wizard/TouchInput.h"

#include <algorithm>
#include <vector>

#include "platform/Clock.h"
#include "wizard/Animation.h"
#include "wizard/DisplayScale.h"
#include "wizard/FolderBrowser.h"
#include "wizard/Pages.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

namespace {

// A finger that rested this long before lifting ends the scroll where it is.
constexpr std::uint32_t kFlingWindowMs = 100;
// The glide loses a tenth of its speed every tick.
constexpr float kFlingDecay = 0.9f;

struct LicenceDrag {
    bool active = false;
    int startY = 0;
    int startOffset = 0;
    // The last two positions of the finger and when they were seen.
    int lastY = 0, previousY = 0;
    std::uint32_t lastMs = 0, previousMs = 0;
};
LicenceDrag drag;
float flingPerTick = 0;  // pixels of offset per tick; 0 when the text rests

bool insideLicence(int x, int y) {
    const LicenceView& v = wizardWidgets.licenceView;
    return v.x <= x && x < v.x + v.width && v.y <= y && y < v.y + v.height;
}

}  // namespace

bool onTouchDown(int windowX, int windowY) {
    int x = layoutCoordinate(windowX), y = layoutCoordinate(windowY);
    drag.active = false;
    if (choosingFolder() || !wizardState.inputEnabled) return false;
    if (wizardState.currentPage != LicencePage || !insideLicence(x, y)) return false;
    LicenceView& view = wizardWidgets.licenceView;
    if (view.totalHeight == 0) return false;
    std::uint32_t now = platform::clock().tickCount();
    drag = {true, y, std::max(0, view.scrollOffset), y, y, now, now};
    flingPerTick = 0;
    // Holding the text still is reading it too.
    view.scrollTo(drag.startOffset);
    return true;
}

void onTouchMove(int windowX, int windowY) {
    (void)windowX;
    if (!drag.active) return;
    // The text moves as far as the finger on the screen: layout pixels are larger there.
    int y = layoutCoordinate(windowY);
    // The page may have gone under the finger (a key pressed Agree meanwhile).
    if (wizardState.currentPage != LicencePage) {
        drag.active = false;
        return;
    }
    // The text follows the finger: moving up shows what comes below.
    wizardWidgets.licenceView.scrollTo(drag.startOffset - (y - drag.startY));
    drag.previousY = drag.lastY;
    drag.previousMs = drag.lastMs;
    drag.lastY = y;
    drag.lastMs = platform::clock().tickCount();
}

void onTouchUp() {
    if (!drag.active) return;
    drag.active = false;
    std::uint32_t now = platform::clock().tickCount();
    std::uint32_t span = platform::elapsedSince(drag.previousMs, drag.lastMs);
    if (platform::elapsedSince(drag.lastMs, now) > kFlingWindowMs || span == 0) return;
    float perMs = float(drag.previousY - drag.lastY) / float(span);
    flingPerTick = perMs * float(kTickMs);
}

bool stepTouchFling() {
    if (flingPerTick > -1 && flingPerTick < 1) {
        flingPerTick = 0;
        return false;
    }
    LicenceView& view = wizardWidgets.licenceView;
    if (wizardState.currentPage != LicencePage || drag.active) {
        flingPerTick = 0;
        return false;
    }
    int before = view.scrollOffset;
    view.scrollBy(int(flingPerTick));
    flingPerTick *= kFlingDecay;
    // At either end of the text the glide stops.
    if (view.scrollOffset == before) flingPerTick = 0;
    return view.scrollOffset != before;
}

void resetTouchInput() {
    drag = LicenceDrag{};
    flingPerTick = 0;
}

bool touchScrolling() {
    return drag.active;
}

void endTouchTap() {
    // Every page's buttons: the tap may have changed the page.
    std::vector<ImageButton*> buttons{&wizardWidgets.closeButton};
    for (int page = 0; page < kPageCount; ++page) {
        for (ImageButton* b : pageLayout(WizardPage(page)).buttons) buttons.push_back(b);
    }
    for (ImageButton* b : buttons) {
        if (b->state == ButtonState::Hover) {
            b->state = ButtonState::Normal;
            b->dirty = true;
        }
    }
}
