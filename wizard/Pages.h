// What each page shows, as data: the widgets the full compose draws before the picture area is
// captured and after it, the widgets the dirty repaint visits, the buttons the pointer visits
// after the close button, and when the separator line shows.
#pragma once

#include <vector>

#include "wizard/ImageButton.h"
#include "wizard/WizardState.h"

struct PageLayout {
    std::vector<Widget*> capture;
    std::vector<Widget*> overlay;
    std::vector<Widget*> repaint;
    std::vector<ImageButton*> buttons;
    int separatorAbove = 0;  // the line is drawn when the page alpha is above this
};

// The layout of a page over the process-wide widgets.
const PageLayout& pageLayout(WizardPage page);
