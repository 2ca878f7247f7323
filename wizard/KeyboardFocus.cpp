#include "wizard/KeyboardFocus.h"

#include "platform/WindowHost.h"
#include "wizard/AccessibleWizard.h"
#include "wizard/FolderBrowser.h"
#include "wizard/Pages.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

KeyboardFocus keyboardFocus;

namespace {

constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;

// The language button for a user's display language: Simplified Chinese only for the
// mainland and Singapore, the others by their primary language.
int languageButtonFor(std::uint16_t langId) {
    if (langId == 2052 || langId == 4100) return 0;
    switch (langId & kPrimaryLanguageMask) {
        case 0x10:
            return 2;  // Italian
        case 0x07:
            return 3;  // German
        case 0x12:
            return 4;  // Korean
        default:
            return 1;  // English, and every language without a button
    }
}

bool focusable(const ImageButton& b) {
    return b.enabled;
}

void markForRing(ImageButton* b) {
    if (b && focusRingsShown) b->dirty = true;
}

void moveFocus(ImageButton* next) {
    ImageButton* old = keyboardFocus.button;
    if (old) old->focused = false;
    keyboardFocus.button = next;
    if (next) next->focused = true;
    if (old != next) {
        markForRing(old);
        markForRing(next);
    }
    platform::windowHost().notifyAccessible(windowSurface.window, platform::AccessEvent::Focus,
                                            accessChildOf(next));
}

void showRings() {
    if (focusRingsShown) return;
    focusRingsShown = true;
    markForRing(keyboardFocus.button);
}

void stepFocus(bool forward) {
    std::vector<ImageButton*> order = focusOrder(wizardState.currentPage);
    if (order.empty()) return;
    int n = int(order.size());
    int at = -1;
    for (int i = 0; i < n; ++i) {
        if (order[i] == keyboardFocus.button) at = i;
    }
    int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    moveFocus(order[next]);
}

void press(ImageButton* b) {
    if (!b || !b->enabled) return;
    // A copy: the action may set a new action on this very button.
    std::function<void()> action = b->onClick;
    if (action) action();
}

bool scrollLicence(WizardKey key) {
    if (wizardState.currentPage != LicencePage) return false;
    LicenceView& view = wizardWidgets.licenceView;
    int page = std::max(kLicenceLineStep, view.height - kLicenceLineStep);
    switch (key) {
        case WizardKey::Up:
            view.scrollBy(-kLicenceLineStep);
            break;
        case WizardKey::Down:
            view.scrollBy(kLicenceLineStep);
            break;
        case WizardKey::PageUp:
            view.scrollBy(-page);
            break;
        case WizardKey::PageDown:
            view.scrollBy(page);
            break;
        case WizardKey::Home:
            view.scrollTo(0);
            break;
        case WizardKey::End:
            view.scrollTo(view.lastReaderOffset());
            break;
        default:
            return false;
    }
    return true;
}

}  // namespace

std::vector<ImageButton*> focusOrder(WizardPage page) {
    std::vector<ImageButton*> order;
    for (ImageButton* b : pageLayout(page).buttons) {
        if (focusable(*b)) order.push_back(b);
    }
    if (focusable(wizardWidgets.closeButton)) order.push_back(&wizardWidgets.closeButton);
    return order;
}

ImageButton* initialFocus(WizardPage page) {
    WizardWidgets& w = wizardWidgets;
    ImageButton* wanted = nullptr;
    switch (page) {
        case LanguagePage:
            wanted = &w.languageButtons[languageButtonFor(platform::windowHost().uiLanguage())];
            break;
        case LicencePage:
            wanted = &w.agreeButton;
            break;
        case DevicePage:
            wanted = &w.closeButton;
            break;
        default:
            return nullptr;
    }
    if (focusable(*wanted)) return wanted;
    std::vector<ImageButton*> order = focusOrder(page);
    return order.empty() ? nullptr : order.front();
}

void followPageFocus() {
    KeyboardFocus& f = keyboardFocus;
    if (f.placed && f.page == wizardState.currentPage) return;
    f.placed = true;
    f.page = wizardState.currentPage;
    moveFocus(initialFocus(f.page));
}

bool onKey(WizardKey key) {
    // The folder chooser is modal: keys that reach the window through its loop are not ours.
    if (choosingFolder()) return false;
    followPageFocus();
    if (!wizardState.inputEnabled) return false;
    switch (key) {
        case WizardKey::Tab:
        case WizardKey::ShiftTab:
            showRings();
            stepFocus(key == WizardKey::Tab);
            return true;
        case WizardKey::Enter:
        case WizardKey::Space:
            showRings();
            press(keyboardFocus.button);
            return true;
        case WizardKey::Escape:
            return onCloseKey();
        default:
            return scrollLicence(key);
    }
}

bool onCloseKey() {
    if (choosingFolder() || !wizardState.inputEnabled) return false;
    ImageButton& close = wizardWidgets.closeButton;
    if (!close.enabled) return false;
    press(&close);
    return true;
}

void resetKeyboardFocus() {
    keyboardFocus = KeyboardFocus{};
    focusRingsShown = false;
}
