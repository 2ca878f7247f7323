#include "wizard/Widgets.h"

#include "package/ResourcePicture.h"
#include "text/MessageTable.h"
#include "wizard/DisplayScale.h"
#include "wizard/FolderBrowser.h"

WizardWidgets wizardWidgets;
ClickActions clickActions;
bool widgetGraphics = true;

const LanguageButtonPlace kLanguageButtonPlaces[kLanguageButtons] = {
    {160, 330, 207, 2052},  // Simplified Chinese
    {230, 330, 210, 1033},  // English
    {300, 330, 229, 1040},  // Italian
    {370, 329, 226, 1031},  // German: the picture sits one row above its frame
    {440, 330, 239, 1042},  // Korean
};

namespace {

constexpr std::uint32_t kWhite = 0xFEFFFFFF;
constexpr std::uint32_t kFrameNormal = 0xFE969696;
constexpr std::uint32_t kFramePressed = 0xFEC8C8C8;
constexpr std::uint32_t kFrameHover = 0xFEFFFFFF;
constexpr int kLanguageFrameTop = 330;
constexpr int kPageLicencePicture = 200;
constexpr int kPageLanguagePicture = 204;
constexpr int kPageDevicePicture = 236;
constexpr int kDenseArtOffset = 1000;
constexpr unsigned kLanguageButtonWidth = 60, kLanguageButtonHeight = 16;

std::u16string_view message(MessageId id) {
    const char16_t* text = messageText(id);
    return text ? std::u16string_view(text) : std::u16string_view();
}

void setHitRect(ImageButton& b, int left, int top, int width, int height) {
    b.hitLeft = left;
    b.hitTop = top;
    b.width = width;
    b.height = height;
    b.hitRight = left + width;
    b.hitBottom = top + height;
}

void setFrameColours(ImageButton& b, std::uint32_t normal, std::uint32_t pressed,
                     std::uint32_t hover) {
    b.normalColour = normal;
    b.pressedColour = pressed;
    b.hoverColour = hover;
}

void createCloseButton(ImageButton& b) {
    b.createWithoutPicture(512, 8);
    setHitRect(b, 512, 7, 16, 16);
    b.setText(u"x");
    b.fontSize = 16;
    setFrameColours(b, 0x78969696, 0x78C8C8C8, 0x78FFFFFF);
    // Picture drawing is on, but no picture is ever loaded.
    b.flags = kDrawPicture | kDrawFrame;
    b.onClick = [] {
        if (clickActions.close) clickActions.close();
    };
}

// On a screen denser than the design the lettering comes from the artwork drawn at twice the
// size, when the program carries it; the button keeps its size in the layout.
void loadLettering(ImageButton& b, int resourceId) {
    std::unique_ptr<platform::Picture> picture;
    if (!unitScale()) {
        picture = loadResourcePicture(resourceId + kDenseArtOffset, kPngResource);
        // An emptied, damaged or odd-sized one is not the button's lettering at twice its size.
        unsigned w = 0, h = 0;
        if (picture && !(picture->dimensions(w, h) && w == 2 * kLanguageButtonWidth &&
                         h == 2 * kLanguageButtonHeight)) {
            picture.reset();
        }
    }
    if (!picture) picture = loadResourcePicture(resourceId, kPngResource);
    if (!picture) return;
    b.normalPicture = std::move(picture);
    b.dirty = true;
}

// A button whose picture is missing keeps its frame but stays disabled: creation failed.
void createLanguageButton(ImageButton& b, const LanguageButtonPlace& place) {
    if (b.createWithPicture(place.x, place.y, place.resourceId) && !unitScale()) {
        loadLettering(b, place.resourceId);
    }
    b.x = place.x;
    b.y = place.y;
    setHitRect(b, place.x, kLanguageFrameTop, int(kLanguageButtonWidth),
               int(kLanguageButtonHeight));
    b.flags = kDrawPicture | kDrawFrame;
    setFrameColours(b, kFrameNormal, kFramePressed, kFrameHover);
    std::uint32_t langId = place.langId;
    b.onClick = [langId] {
        if (clickActions.language) clickActions.language(langId);
    };
}

void createTextButton(ImageButton& b, int x, MessageId text, std::function<void()> click) {
    b.createWithoutPicture(x, 345);
    setHitRect(b, x, 343, 81, 24);
    b.flags = kDrawFrame;
    setFrameColours(b, kFrameNormal, kFramePressed, kFrameHover);
    b.setText(message(text));
    b.onClick = std::move(click);
}

void createLabel(TextLabel& label, platform::Rect box, std::uint8_t horizontal,
                 std::u16string_view text) {
    label.x = box.x;
    label.y = box.y;
    label.width = box.width;
    label.height = box.height;
    label.horizontalAlign = horizontal;
    label.verticalAlign = 0;
    label.fontSize = 12;
    label.colour = kWhite;
    label.text = std::u16string(text);
    label.dirty = true;
}

void createLanguagePage(WizardWidgets& w) {
    w.selectLanguageLabel.create(message(MSG_SELECT_LANGUAGE), 55, 338, 100);
    w.selectLanguageLabel.setFontSize(14);
    w.selectLanguageLabel.linesOn = false;
}

void createLicencePage(WizardWidgets& w) {
    w.titleLabel.create(message(MSG_LICENSE_TITLE), 42, 47, 450);
    w.titleLabel.setFontSize(25);

    LicenceView& view = w.licenceView;
    view.x = 42;
    view.y = 76;
    view.width = 450;
    view.height = 190;
    view.fontSize = 12;
    view.colour = kWhite;
    view.scrollOffset = -95;
    view.dirty = true;

    w.licencePicture.x = w.licencePicture.y = 1;
    w.licencePicture.dirty = true;

    createLabel(w.pathLabel, {40, 318, 480, 27}, 0, u"");
    w.pathWidthLimit = 480;

    createTextButton(w.browseButton, 274, MSG_BROWSE, browseForInstallRoot);
    createTextButton(w.agreeButton, 362, MSG_AGREE, [] {
        if (clickActions.agree) clickActions.agree();
    });
    createTextButton(w.disagreeButton, 450, MSG_DISAGREE, [] {
        if (clickActions.close) clickActions.close();
    });
}

}  // namespace

void createWidgets() {
    WizardWidgets& w = wizardWidgets;
    createCloseButton(w.closeButton);
    createLanguagePage(w);
    createLicencePage(w);
    createLabel(w.deviceLabel, {20, 335, 500, 30}, 1, message(MSG_PLUG_DEVICE));
    createLabel(w.statusLabel, {20, 325, 500, 30}, 1, message(MSG_PREPARING));
    w.progressSlideshow.x = w.progressSlideshow.y = 1;
    w.progressSlideshow.dirty = true;
    if (widgetGraphics) loadWidgetPictures();
}

void loadWidgetPictures() {
    WizardWidgets& w = wizardWidgets;
    w.languagePicture.load(kPageLanguagePicture);
    for (int i = 0; i < kLanguageButtons; ++i) {
        createLanguageButton(w.languageButtons[i], kLanguageButtonPlaces[i]);
    }
    w.licencePicture.singlePicture = loadResourcePicture(kPageLicencePicture, kPngResource);
    w.licencePicture.dirty = true;
    w.devicePicture.load(kPageDevicePicture);
}

void loadDensityPictures() {
    for (int i = 0; i < kLanguageButtons; ++i) {
        ImageButton& b = wizardWidgets.languageButtons[i];
        if (b.normalPicture) loadLettering(b, kLanguageButtonPlaces[i].resourceId);
    }
}

void measureWidgets() {
    WizardWidgets& w = wizardWidgets;
    w.selectLanguageLabel.measure();
    w.titleLabel.measure();
    w.licenceView.measure();
}

void releaseWidgets() {
    wizardWidgets = WizardWidgets{};
}

void renewWidgetTexts() {
    WizardWidgets& w = wizardWidgets;
    w.titleLabel.setText(message(MSG_LICENSE_TITLE));
    w.browseButton.setText(message(MSG_BROWSE));
    w.agreeButton.setText(message(MSG_AGREE));
    w.disagreeButton.setText(message(MSG_DISAGREE));
    w.deviceLabel.setText(message(MSG_PLUG_DEVICE));
    w.statusLabel.setText(message(MSG_PREPARING));
}
