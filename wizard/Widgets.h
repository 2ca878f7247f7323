// Every widget of the wizard's four pages, created once by the surface build with the positions,
// pictures, texts and colours of the page layouts, and the click actions the run supplies.
#pragma once

#include <cstdint>
#include <functional>

#include "wizard/CaptionLabel.h"
#include "wizard/ImageButton.h"
#include "wizard/LicenceView.h"
#include "wizard/PagePicture.h"
#include "wizard/Slideshow.h"
#include "wizard/TextLabel.h"

constexpr int kLanguageButtons = 5;

struct WizardWidgets {
    ImageButton closeButton;  // every page
    // Language page.
    PagePicture languagePicture;
    CaptionLabel selectLanguageLabel;
    ImageButton languageButtons[kLanguageButtons];  // zh, en, it, de, ko
    // Licence page.
    CaptionLabel titleLabel;
    LicenceView licenceView;
    Slideshow licencePicture;
    TextLabel pathLabel;
    int pathWidthLimit = 0;  // the folder browser shortens the label to fit
    ImageButton browseButton, agreeButton, disagreeButton;
    // Device page.
    TextLabel deviceLabel;
    PagePicture devicePicture;
    // Progress page.
    TextLabel statusLabel;
    Slideshow progressSlideshow;
};

extern WizardWidgets wizardWidgets;

// What the buttons do, looked up at the moment of the click, so the run can set them
// before or after the widgets exist. None: the click does nothing.
struct ClickActions {
    std::function<void()> close;                  // closeButton, disagreeButton
    std::function<void()> agree;                  // agreeButton
    std::function<void(std::uint32_t)> language;  // a language button, with its LANGID
};

extern ClickActions clickActions;

struct LanguageButtonPlace {
    int x, y;        // draw origin
    int resourceId;  // "PNG" picture of the language's own name
    std::uint32_t langId;
};

extern const LanguageButtonPlace kLanguageButtonPlaces[kLanguageButtons];

// Creates every widget in build order, with the texts the message table holds (the surface
// build selects English first). Each starts dirty. Pictures and measures only when widget
// graphics are on; otherwise loadWidgetPictures and measureWidgets make them later.
void createWidgets();
// The page pictures and the language buttons, made from their pictures.
void loadWidgetPictures();
// The language buttons' lettering again, for the display density now set: the artwork at twice
// the size on a denser screen when the program carries it, else the design's.
void loadDensityPictures();
// The captions and the licence text measured in their sizes and boxes.
void measureWidgets();
// Frees every widget's pictures and texts and returns each to its unbuilt state.
void releaseWidgets();
// The texts a language change renews from the message table: the licence title (measured
// again), the three licence-page buttons, the device and the status label.
void renewWidgetTexts();
