#include "wizard/TouchInput.h"

#include <algorithm>
#include <vector>

#include "wizard/FolderBrowser.h"
#include "wizard/Pages.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

namespace {

struct LicenceDrag {
    bool active = false;
    int startY = 0;
    int startOffset = 0;
};
LicenceDrag drag;

bool insideLicence(int x, int y) {
    const LicenceView& v = wizardWidgets.licenceView;
    return v.x <= x && x < v.x + v.width && v.y <= y && y < v.y + v.height;
}

}  // namespace

bool onTouchDown(int x, int y) {
    drag.active = false;
    if (choosingFolder() || !wizardState.inputEnabled) return false;
    if (wizardState.currentPage != LicencePage || !insideLicence(x, y)) return false;
    LicenceView& view = wizardWidgets.licenceView;
    if (view.totalHeight == 0) return false;
    drag = {true, y, std::max(0, view.scrollOffset)};
    // Holding the text still is reading it too.
    view.scrollTo(drag.startOffset);
    return true;
}

void onTouchMove(int x, int y) {
    (void)x;
    if (!drag.active) return;
    // The page may have gone under the finger (a key pressed Agree meanwhile).
    if (wizardState.currentPage != LicencePage) {
        drag.active = false;
        return;
    }
    // The text follows the finger: moving up shows what comes below.
    wizardWidgets.licenceView.scrollTo(drag.startOffset - (y - drag.startY));
}

void onTouchUp() {
    drag.active = false;
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
