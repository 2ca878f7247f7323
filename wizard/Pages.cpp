#include "wizard/Pages.h"

#include "wizard/Widgets.h"

namespace {

PageLayout languagePage(WizardWidgets& w) {
    PageLayout page;
    page.capture = {&w.languagePicture, &w.selectLanguageLabel};
    for (ImageButton& b : w.languageButtons) {
        page.capture.push_back(&b);
        page.repaint.push_back(&b);
        page.buttons.push_back(&b);
    }
    // The language page fades in over the bare background; its line waits for the picture.
    page.separatorAbove = 240;
    return page;
}

PageLayout licencePage(WizardWidgets& w) {
    PageLayout page;
    page.capture = {&w.licencePicture, &w.titleLabel};
    page.overlay = {&w.licenceView, &w.pathLabel, &w.browseButton, &w.agreeButton,
                    &w.disagreeButton};
    page.repaint = {&w.titleLabel,   &w.licencePicture, &w.licenceView,   &w.pathLabel,
                    &w.browseButton, &w.agreeButton,    &w.disagreeButton};
    page.buttons = {&w.browseButton, &w.agreeButton, &w.disagreeButton};
    return page;
}

PageLayout devicePage(WizardWidgets& w) {
    PageLayout page;
    page.capture = {&w.devicePicture, &w.deviceLabel};
    page.repaint = {&w.deviceLabel};
    return page;
}

PageLayout progressPage(WizardWidgets& w) {
    PageLayout page;
    page.capture = {&w.progressSlideshow, &w.statusLabel};
    page.repaint = {&w.progressSlideshow, &w.statusLabel};
    return page;
}

}  // namespace

const PageLayout& pageLayout(WizardPage page) {
    static const PageLayout layouts[kPageCount] = {
        languagePage(wizardWidgets), licencePage(wizardWidgets), devicePage(wizardWidgets),
        progressPage(wizardWidgets)};
    return layouts[page < kPageCount ? page : LanguagePage];
}
