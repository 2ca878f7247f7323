#include "engine/RegistryUninstallEntry.h"

#include <string>

#include "common/Text.h"
#include "engine/CommandLine.h"
#include "engine/RegistryPaths.h"
#include "platform/Registry.h"

using platform::RegistryKey;
using platform::RegistryRoot;

bool writeUninstallEntry(const char16_t* name, const char16_t* uninstallerPath,
                         const char16_t* publisher) {
    TextBuffer path;
    std::u16string launch;
    if (viewOf(name).empty() || viewOf(publisher).size() >= kTextUnits ||
        !quotedCommandLine(viewOf(uninstallerPath), {}, launch) ||
        !joinPath(path, kUninstallListPath, viewOf(name))) {
        return false;
    }
    RegistryKey key = 0;
    bool created = false;
    if (!platform::registry().createKey(RegistryRoot::LocalMachine, path, key, created)) {
        return false;
    }
    platform::Registry& registry = platform::registry();
    bool written = registry.setString(key, u"DisplayIcon", viewOf(uninstallerPath)) &&
                   registry.setString(key, u"DisplayName", viewOf(name)) &&
                   registry.setString(key, u"Publisher", viewOf(publisher)) &&
                   registry.setString(key, u"UninstallString", launch);
    registry.closeKey(key);
    return written;
}

bool removeUninstallEntry(const char16_t* name) {
    if (viewOf(name).empty()) return false;
    RegistryKey key = 0;
    if (platform::registry().openKey(RegistryRoot::LocalMachine, kUninstallListPath,
                                     platform::KeyAccess::AllAccess, key)) {
        platform::registry().deleteKey(key, name);
        platform::registry().closeKey(key);
    }
    return true;
}
