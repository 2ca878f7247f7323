// A folder chooser that gives scripted answers, one per call, and remembers every title it was
// opened with. Without a scripted answer it is cancelled.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/FolderPicker.h"

namespace fake {

class FakeFolderPicker : public platform::FolderPicker {
public:
    platform::FolderChoice browse(void* owner, const char16_t* title, TextBuffer& path) override;

    // The next call answers `choice`; with Chosen the buffer receives `path` (cut to the
    // buffer, as the shell fills at most its 260 units).
    void answer(platform::FolderChoice choice, std::u16string path = {});

    std::vector<std::u16string> titles;
    std::vector<void*> owners;
    // Runs while the chooser is "open", before it answers (a click behind it, say).
    std::function<void()> whileOpen;

private:
    struct Answer {
        platform::FolderChoice choice;
        std::u16string path;
    };
    std::deque<Answer> answers_;
};

}  // namespace fake
