#include "platform/fake/FakeFolderPicker.h"

#include "common/Text.h"

namespace fake {

platform::FolderChoice FakeFolderPicker::browse(void* owner, const char16_t* title,
                                                TextBuffer& path) {
    titles.emplace_back(viewOf(title));
    owners.push_back(owner);
    if (whileOpen) whileOpen();
    if (answers_.empty()) return platform::FolderChoice::Cancelled;
    Answer next = answers_.front();
    answers_.pop_front();
    // The display name lands in the buffer first, whatever the outcome.
    copyText(path, u"Display Name");
    if (next.choice == platform::FolderChoice::NoPath) path[0] = 0;
    if (next.choice == platform::FolderChoice::Chosen) {
        copyText(path, std::u16string_view(next.path).substr(0, kTextUnits - 1));
    }
    return next.choice;
}

void FakeFolderPicker::answer(platform::FolderChoice choice, std::u16string path) {
    answers_.push_back({choice, std::move(path)});
}

}  // namespace fake
