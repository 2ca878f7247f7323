#include "engine/ProtectedFolders.h"

#include <string>
#include <vector>

#include "common/Names.h"
#include "engine/SetupLog.h"
#include "platform/FileSystem.h"
#include "platform/Security.h"

bool makeMissingFolders(std::u16string_view folder) {
    std::vector<std::u16string> chain;
    if (!folderChainOf(folder, chain)) return false;
    for (const std::u16string& level : chain) {
        if (platform::files().exists(level.c_str())) continue;
        if (!platform::security().createProtectedFolder(level.c_str())) return false;
        logEvent("made the folder", level);
    }
    return true;
}
