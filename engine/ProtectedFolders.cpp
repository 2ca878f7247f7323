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
    // The drive's root is never made (and FindFirstFileW never finds it as an entry).
    for (std::size_t i = 1; i < chain.size(); ++i) {
        const std::u16string& level = chain[i];
        if (platform::files().exists(level.c_str())) continue;
        if (!platform::security().createProtectedFolder(level.c_str())) return false;
        logEvent("made the folder", level);
    }
    return true;
}
