// The shell's folder chooser (SHBrowseForFolderW).
#pragma once

#include "platform/FolderPicker.h"

namespace win32 {

class Win32FolderPicker : public platform::FolderPicker {
public:
    platform::FolderChoice browse(void* owner, const char16_t* title, TextBuffer& path) override;
};

}  // namespace win32
