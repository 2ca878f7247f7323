// The keyboard in the wizard: which button has the focus, Tab and Shift+Tab through the page's
// buttons, Enter and Space to press it, Esc (and Alt+F4) as the close button, and the reader's
// own scroll of the licence text. The focus ring shows only once a key was used.
#pragma once

#include <cstdint>
#include <vector>

#include "wizard/ImageButton.h"
#include "wizard/WizardState.h"

enum class WizardKey : std::uint8_t {
    Tab,
    ShiftTab,
    Enter,
    Space,
    Escape,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
};

// Licence scroll steps, in pixels: a line of the 12-pixel text, a page is the box less a line.
constexpr int kLicenceLineStep = 16;

struct KeyboardFocus {
    bool placed = false;             // the page below got its first focus
    WizardPage page = LanguagePage;  // the page the focus belongs to
    ImageButton* button = nullptr;   // none: the window itself
};

extern KeyboardFocus keyboardFocus;

// The buttons Tab visits on a page, in order: the page's own enabled buttons, then the close
// button.
std::vector<ImageButton*> focusOrder(WizardPage page);
// The button a page starts with: on the language page the button of the user's display
// language when it is one of the five (else English), Agree on the licence page, the close
// button on the device page, and none on the progress page, where a stray Enter must not
// cancel the installation.
ImageButton* initialFocus(WizardPage page);
// Called every tick: once the current page changed, its first focus is placed.
void followPageFocus();
// A key pressed in the window; false when the wizard has no use for it now.
bool onKey(WizardKey key);
// Alt+F4 and the window menu's Close: the close button, when it can be pressed now.
bool onCloseKey();
// Back to no focus and no ring: the window is built anew.
void resetKeyboardFocus();
