#include "wizard/PointerInput.h"

#include <cstdint>
#include <vector>

#include "platform/WindowHost.h"
#include "wizard/DisplayScale.h"
#include "wizard/FolderBrowser.h"
#include "wizard/Pages.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"
#include "wizard/WizardTrace.h"

namespace {

void trace(const char* event) {
    traceWizard(event);
}

// The buttons the pointer visits on the current page, the close button first.
template <typename Visit>
void visitButtons(Visit visit) {
    if (!visit(wizardWidgets.closeButton)) return;
    for (ImageButton* b : pageLayout(wizardState.currentPage).buttons) {
        if (!visit(*b)) return;
    }
}

void startDragging(int x, int y) {
    trace("drag started");
    wizardState.dragging = true;
    wizardState.dragOffset[0] = x;
    wizardState.dragOffset[1] = y;
}

}  // namespace

void onMouseDown(int x, int y) {
    // The folder chooser is modal: what reaches the window through its loop is not for us.
    if (choosingFolder()) return;
    bool pressed = false;
    if (wizardState.inputEnabled) {
        // Buttons are tested in the layout; the drag keeps the window's own pixels.
        int lx = layoutCoordinate(x), ly = layoutCoordinate(y);
        visitButtons([&](ImageButton& b) {
            pressed |= b.pressTest(lx, ly, !pressed);
            return true;
        });
    }
    if (!pressed) startDragging(x, y);
    platform::windowHost().capture(windowSurface.window);
}

void onMouseMove(int x, int y) {
    if (choosingFolder()) return;
    if (wizardState.inputEnabled) {
        bool entered = false;
        int lx = layoutCoordinate(x), ly = layoutCoordinate(y);
        visitButtons([&](ImageButton& b) {
            entered |= b.hoverTest(lx, ly, !entered);
            return true;
        });
    }
    if (!wizardState.dragging) return;
    std::int32_t cx = 0, cy = 0;
    platform::windowHost().cursorPos(cx, cy);
    windowSurface.windowPos = {cx - wizardState.dragOffset[0], cy - wizardState.dragOffset[1]};
    PushFrame();
}

void onMouseUp(int x, int y) {
    if (choosingFolder()) return;
    if (wizardState.inputEnabled) {
        // A click may change the page (and so its buttons): the list is taken first.
        std::vector<ImageButton*> buttons{&wizardWidgets.closeButton};
        for (ImageButton* b : pageLayout(wizardState.currentPage).buttons) buttons.push_back(b);
        int lx = layoutCoordinate(x), ly = layoutCoordinate(y);
        for (ImageButton* b : buttons) b->releaseTest(lx, ly);
    }
    wizardState.dragging = false;
    platform::windowHost().releaseCapture();
}

void onDpiChanged(unsigned dpi, int left, int top) {
    rescaleWindowSurface(dpi, {left, top});
}

void onCaptureLost() {
    WizardState& s = wizardState;
    if (s.dragging) trace("drag ended");
    s.dragging = false;
    // A press whose release can no longer reach the window must not fire at a later release.
    visitButtons([](ImageButton& b) {
        if (b.state == ButtonState::Pressed) {
            b.state = ButtonState::Normal;
            b.dirty = true;
        }
        return true;
    });
}
