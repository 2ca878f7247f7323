// Choosing another installation root with the shell's folder chooser, and showing the
// resulting installation folder in the licence page's path label, shortened from the left
// when it is wider than the label.
#pragma once

#include <string_view>

// The title of the chooser, the same in every language.
constexpr char16_t kFolderPickerTitle[] = u"\u9009\u62e9\u76ee\u6807\u8def\u5f84";

// The browse button's action: the chooser is modal to the wizard window. A cancelled chooser,
// or a folder without a file-system path, leaves the root and the label as they were.
void browseForInstallRoot();
// True while the chooser is open: the wizard then takes no input.
bool choosingFolder();

// Width of the text's outline in 12-pixel bold Arial.
float pathTextWidth(std::u16string_view text);

// root\company\product, or ..\company\product, or ..\..\product: the first that fits the
// label's width limit (the last one in any case).
std::u16string installFolderLabel(std::u16string_view root, std::u16string_view company,
                                  std::u16string_view product, int widthLimit);
