#include "engine/RegistryDesktopMenu.h"

#include <string>

#include "common/Text.h"
#include "engine/CommandLine.h"
#include "engine/RegistryPaths.h"
#include "platform/Registry.h"

using platform::KeyAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

// Deletes `subkey` below the key at `path`, if both are there.
void deleteSubkey(const char16_t* path, const char16_t* subkey) {
    RegistryKey key = 0;
    if (!platform::registry().openKey(RegistryRoot::ClassesRoot, path, KeyAccess::AllAccess, key)) {
        return;
    }
    platform::registry().deleteKey(key, subkey);
    platform::registry().closeKey(key);
}

// Takes back what a failed write created, and only that: an entry that was there before stays.
void undoWrite(const char16_t* entryPath, const char16_t* name, bool entryIsNew,
               bool commandIsNew) {
    if (commandIsNew) deleteSubkey(entryPath, u"command");
    if (entryIsNew) deleteSubkey(kDesktopShellPath, name);
}

}  // namespace

bool writeDesktopMenu(const char16_t* targetPath, const char16_t* name) {
    std::u16string_view target = viewOf(targetPath);
    TextBuffer entryPath, commandPath;
    std::u16string launch;
    if (viewOf(name).empty() || !quotedCommandLine(target, {}, launch) ||
        !joinPath(entryPath, kDesktopShellPath, viewOf(name)) ||
        !joinPath(commandPath, viewOf(entryPath), u"command")) {
        return false;
    }
    platform::Registry& registry = platform::registry();
    RegistryKey key = 0;
    bool entryIsNew = false;
    if (!registry.createKey(RegistryRoot::ClassesRoot, entryPath, key, entryIsNew)) return false;
    bool icon = registry.setString(key, u"Icon", target);
    bool position = registry.setString(key, u"Position", u"Bottom");
    registry.closeKey(key);
    if (!icon || !position) {
        undoWrite(entryPath, name, entryIsNew, false);
        return false;
    }
    bool commandIsNew = false;
    if (!registry.createKey(RegistryRoot::ClassesRoot, commandPath, key, commandIsNew)) {
        undoWrite(entryPath, name, entryIsNew, false);
        return false;
    }
    bool command = registry.setString(key, nullptr, launch);
    registry.closeKey(key);
    if (!command) undoWrite(entryPath, name, entryIsNew, commandIsNew);
    return command;
}

bool removeDesktopMenu(const char16_t* text) {
    TextBuffer name, entryPath;
    if (viewOf(text).size() >= kTextUnits || !copyText(name, stemOf(viewOf(text))) ||
        name[0] == 0 || !joinPath(entryPath, kDesktopShellPath, viewOf(name))) {
        return false;
    }
    deleteSubkey(entryPath, u"command");
    deleteSubkey(kDesktopShellPath, name);
    return true;
}
