#include "engine/RegistryUninstallEntry.h"

#include <string>

#include "common/Text.h"
#include "engine/CommandLine.h"
#include "engine/RegistryPaths.h"
#include "platform/Registry.h"

using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

bool fitsText(const char16_t* text) {
    return text && viewOf(text).size() < kTextUnits;
}

// Sets the value when there is a text to set.
bool setGiven(RegistryKey key, const char16_t* name, const char16_t* text) {
    return !text || !text[0] || platform::registry().setString(key, name, viewOf(text));
}

bool setValues(RegistryKey key, const UninstallEntry& e, const std::u16string& launch,
               const std::u16string& quiet) {
    platform::Registry& registry = platform::registry();
    bool hasVersion = e.version && e.version[0];
    const char16_t* icon = e.displayIcon && e.displayIcon[0] ? e.displayIcon : e.uninstallerPath;
    return registry.setString(key, u"DisplayIcon", viewOf(icon)) &&
           registry.setString(key, u"DisplayName", viewOf(e.name)) &&
           registry.setString(key, u"Publisher", viewOf(e.publisher)) &&
           registry.setString(key, u"UninstallString", launch) &&
           (!hasVersion || registry.setString(key, u"DisplayVersion", viewOf(e.version))) &&
           registry.setString(key, u"QuietUninstallString", quiet) &&
           registry.setString(key, u"InstallLocation", viewOf(e.installLocation)) &&
           setGiven(key, u"InstallDate", e.installDate) &&
           setGiven(key, u"ProductIdentity", e.identity) &&
           registry.setDword(key, u"EstimatedSize", e.estimatedSizeKb) &&
           registry.setDword(key, u"NoModify", 1) && registry.setDword(key, u"NoRepair", 1);
}

}  // namespace

bool writeUninstallEntry(const UninstallEntry& e) {
    TextBuffer path;
    std::u16string launch, quiet;
    const char16_t* keyName = e.key ? e.key : e.name;
    if (viewOf(keyName).empty() || viewOf(e.name).empty() || !fitsText(e.publisher) ||
        !fitsText(e.installLocation) || (e.version && !fitsText(e.version)) ||
        (e.displayIcon && !fitsText(e.displayIcon)) ||
        !quotedCommandLine(viewOf(e.uninstallerPath), {}, launch) ||
        !quotedCommandLine(viewOf(e.uninstallerPath), u"/S", quiet) ||
        !joinPath(path, kUninstallListPath, viewOf(keyName))) {
        return false;
    }
    RegistryKey key = 0;
    bool created = false;
    if (!platform::registry().createKey(RegistryRoot::LocalMachine, path, key, created)) {
        return false;
    }
    bool written = setValues(key, e, launch, quiet);
    platform::registry().closeKey(key);
    return written;
}

bool readUninstallLocation(const char16_t* name, TextBuffer& location) {
    TextBuffer path;
    RegistryKey key = 0;
    if (viewOf(name).empty() || !joinPath(path, kUninstallListPath, viewOf(name)) ||
        !platform::registry().openKey(RegistryRoot::LocalMachine, path, platform::KeyAccess::Read,
                                      key)) {
        return false;
    }
    bool read = platform::registry().queryString(key, u"InstallLocation", location);
    platform::registry().closeKey(key);
    return read && !viewOf(location).empty();
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
