// The shell's folder chooser.
#pragma once

#include "common/Text.h"
#include "platform/Platform.h"

namespace platform {

enum class FolderChoice {
    Cancelled,  // no folder was chosen
    NoPath,     // a folder without a file-system path (a virtual shell folder)
    Chosen,     // `path` holds the chosen folder's file-system path
};

class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // A chooser modal to `owner` (the owner takes no input while it is open), rooted at the
    // desktop, showing `title`. The buffer is also the chooser's display-name buffer, so it may
    // change whatever the choice.
    virtual FolderChoice browse(void* owner, const char16_t* title, TextBuffer& path) = 0;
};

inline FolderPicker& folderPicker() {
    return *os().folders;
}

}  // namespace platform
