#include "wizard/FolderBrowser.h"

#include <string>

#include "common/Text.h"
#include "platform/Drawing.h"
#include "platform/FolderPicker.h"
#include "wizard/Records.h"
#include "wizard/ScaledDrawing.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

float pathTextWidth(std::u16string_view text) {
    return layoutPathWidth(text, makeFont(12, true));
}

std::u16string installFolderLabel(std::u16string_view root, std::u16string_view company,
                                  std::u16string_view product, int widthLimit) {
    // Composed without a length bound: a long root is shortened below, never cut.
    std::u16string tail = std::u16string(company) + u"\\" + std::u16string(product);
    std::u16string label = std::u16string(root) + u"\\" + tail;
    if (pathTextWidth(label) <= float(widthLimit)) return label;
    label = u"..\\" + tail;
    if (pathTextWidth(label) <= float(widthLimit)) return label;
    return u"..\\..\\" + std::u16string(product);
}

namespace {
bool chooserOpen = false;
}  // namespace

bool choosingFolder() {
    return chooserOpen;
}

void browseForInstallRoot() {
    TextBuffer path{};
    chooserOpen = true;
    platform::FolderChoice choice =
        platform::folderPicker().browse(windowSurface.window, kFolderPickerTitle, path);
    chooserOpen = false;
    // A virtual shell folder has no path to install into: the previous root stays.
    if (choice != platform::FolderChoice::Chosen) return;
    path[kTextUnits - 1] = 0;
    std::size_t length = textLength(path, kTextUnits);
    if (length > 0 && path[length - 1] == u'\\') path[--length] = 0;
    copyText(workerParameter.installRoot, std::u16string_view(path, length));

    std::u16string_view company, product;
    if (installConfig) {
        if (installConfig->fileTree) company = viewOf(installConfig->company);
        product = viewOf(installConfig->product);
    }
    WizardWidgets& w = wizardWidgets;
    w.pathLabel.setText(installFolderLabel(viewOf(workerParameter.installRoot), company, product,
                                           w.pathWidthLimit));
}
