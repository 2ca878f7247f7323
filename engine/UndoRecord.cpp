#include "engine/UndoRecord.h"

#include "engine/RegistryDesktopMenu.h"
#include "engine/RegistryRunEntry.h"
#include "engine/RegistryUninstallEntry.h"
#include "package/FileRemoval.h"
#include "platform/FileSystem.h"

bool undoSimpleRecord(std::uint8_t type, const TextBuffer& text) {
    TextBuffer link;
    switch (type) {
        case LOG_DESKTOP_SHORTCUT:
        case LOG_START_MENU_SHORTCUT:
            // "%s.lnk": a link name that would not fit is refused, never cut into another file.
            if (copyText(link, viewOf(text)) && appendText(link, u".lnk")) {
                deleteFileWhenFree(link);
            }
            return true;
        case LOG_DESKTOP_MENU:
            removeDesktopMenu(text);
            return true;
        case LOG_FOLDER:
            removeFolderWhenFree(text);
            return true;
        case LOG_UNINSTALL_ENTRY:
            removeUninstallEntry(text);
            return true;
        case LOG_RUN_ENTRY:
            removeRunEntry(text);
            return true;
        case LOG_MACHINE_RUN_ENTRY:
            removeRunEntry(text, platform::RegistryRoot::LocalMachine);
            return true;
        default:
            return false;
    }
}
