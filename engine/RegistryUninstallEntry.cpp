#include "engine/RegistryUninstallEntry.h"

#include "common/Text.h"
#include "engine/RegistryPaths.h"
#include "platform/Registry.h"

using platform::RegistryKey;
using platform::RegistryRoot;

bool writeUninstallEntry(const char16_t* name, const char16_t* uninstallerPath,
                         const char16_t* publisher) {
    TextBuffer path;
    if (viewOf(name).empty() || viewOf(uninstallerPath).size() >= kTextUnits ||
        viewOf(publisher).size() >= kTextUnits ||
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
                   registry.setString(key, u"UninstallString", viewOf(uninstallerPath));
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
