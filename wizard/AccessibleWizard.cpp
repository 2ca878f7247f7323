#include "wizard/AccessibleWizard.h"

#include "platform/WindowHost.h"
#include "text/MessageTable.h"
#include "wizard/DisplayScale.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

namespace {

using platform::AccessItem;
using platform::AccessRole;

// Each language button is read in its own language, whatever language the wizard shows.
constexpr const char16_t* kLanguageNames[kLanguageButtons] = {
    u"\u7B80\u4F53\u4E2D\u6587", u"English", u"Italiano", u"Deutsch", u"\uD55C\uAD6D\uC5B4"};

// The close button shows only an "x"; it is read as the word, in the wizard's language.
constexpr const char16_t* kCloseNames[kLanguageButtons] = {u"\u5173\u95ED", u"Close", u"Chiudi",
                                                           u"Schlie\u00DFen", u"\uB2EB\uAE30"};

struct Part {
    const Widget* widget;
    AccessItem item;
    ImageButton* button = nullptr;  // none for the texts
};

platform::Rect buttonRect(const ImageButton& b) {
    return {b.hitLeft, b.hitTop, b.hitRight - b.hitLeft, b.hitBottom - b.hitTop};
}

Part text(const Widget& w, std::u16string name, platform::Rect rect) {
    AccessItem item;
    item.name = std::move(name);
    item.role = AccessRole::StaticText;
    item.rect = rect;
    return {&w, item};
}

Part label(const TextLabel& l) {
    return text(l, l.text, {l.x, l.y, l.width, l.height});
}

Part caption(const CaptionLabel& c) {
    return text(c, c.text, {c.x, c.y, c.width, c.height});
}

Part licence(const LicenceView& v) {
    std::u16string whole;
    for (const Paragraph& p : v.paragraphs) whole += p.text;
    Part part = text(v, std::move(whole), {v.x, v.y, v.width, v.height});
    part.item.role = AccessRole::Document;
    return part;
}

Part button(ImageButton& b, std::u16string name) {
    AccessItem item;
    item.name = std::move(name);
    item.role = AccessRole::PushButton;
    item.rect = buttonRect(b);
    item.focusable = b.enabled;
    item.enabled = b.enabled;
    item.focused = b.focused && keyboardFocus.button == &b;
    return {&b, item, &b};
}

std::u16string closeName() {
    return kCloseNames[languageIndex(workerParameter.language)];
}

std::vector<Part> currentParts() {
    WizardWidgets& w = wizardWidgets;
    std::vector<Part> parts;
    switch (wizardState.currentPage) {
        case LanguagePage:
            parts.push_back(caption(w.selectLanguageLabel));
            for (int i = 0; i < kLanguageButtons; ++i) {
                parts.push_back(button(w.languageButtons[i], kLanguageNames[i]));
            }
            break;
        case LicencePage:
            parts.push_back(caption(w.titleLabel));
            parts.push_back(licence(w.licenceView));
            parts.push_back(label(w.pathLabel));
            parts.push_back(button(w.browseButton, w.browseButton.text));
            parts.push_back(button(w.agreeButton, w.agreeButton.text));
            parts.push_back(button(w.disagreeButton, w.disagreeButton.text));
            break;
        case DevicePage:
            parts.push_back(label(w.deviceLabel));
            break;
        case ProgressPage:
            parts.push_back(label(w.statusLabel));
            break;
    }
    parts.push_back(button(w.closeButton, closeName()));
    return parts;
}

}  // namespace

std::vector<AccessItem> describeWizard() {
    std::vector<AccessItem> items;
    for (Part& p : currentParts()) {
        // A screen reader shows and hit-tests the parts in the window's pixels.
        p.item.rect = scaledRect(p.item.rect);
        items.push_back(std::move(p.item));
    }
    return items;
}

int accessChildOf(const Widget* widget) {
    if (!widget) return platform::kAccessSelf;
    std::vector<Part> parts = currentParts();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].widget == widget) return int(i) + 1;
    }
    return platform::kAccessSelf;
}

bool pressAccessChild(int child) {
    std::vector<Part> parts = currentParts();
    if (child < 1 || std::size_t(child) > parts.size()) return false;
    const Part& part = parts[std::size_t(child) - 1];
    if (!part.button || !part.button->enabled || !wizardState.inputEnabled) return false;
    // A copy: the action may set a new action on this very button.
    std::function<void()> action = part.button->onClick;
    if (action) action();
    return true;
}

void announceNameChange(const Widget* widget) {
    int child = accessChildOf(widget);
    if (child == platform::kAccessSelf) return;
    platform::windowHost().notifyAccessible(windowSurface.window, platform::AccessEvent::NameChange,
                                            child);
}
