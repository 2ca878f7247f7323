#include "engine/Shortcuts.h"

#include "common/Text.h"
#include "platform/Shell.h"

bool createShortcut(const char16_t* target, const char16_t* link) {
    if (!target || !link) return false;
    TextBuffer targetPath;
    TextBuffer fileName;
    if (!copyText(targetPath, std::u16string_view(target)) ||
        !copyText(fileName, std::u16string_view(link)) || !appendText(fileName, u".lnk")) {
        return false;
    }
    auto& shell = platform::shell();
    if (!shell.initializeCom()) return false;
    platform::LinkSave result = shell.saveLink(targetPath, fileName);
    shell.uninitializeCom();
    return result == platform::LinkSave::Saved;
}
