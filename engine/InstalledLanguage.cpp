#include "engine/InstalledLanguage.h"

#include "common/Text.h"
#include "engine/RegistryProductKey.h"
#include "platform/Registry.h"

std::uint32_t installedLanguage(const ProductIdentity& identity) {
    std::uint32_t langId = 1033;
    TextBuffer keyPath;
    platform::RegistryKey key = 0;
    if (productKeyPathOf(identity, keyPath) &&
        platform::registry().openKey(platform::RegistryRoot::LocalMachine, keyPath,
                                     platform::KeyAccess::Read, key)) {
        platform::registry().queryDword(key, u"LanguageID", langId);
        platform::registry().closeKey(key);
    }
    return langId;
}
