#include "engine/RegistryProductKey.h"

#include "engine/RegistryKeyRecord.h"
#include "engine/RegistryPaths.h"
#include "package/FileTree.h"
#include "platform/Registry.h"

using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

// Whole texts: a service description may be longer than a path buffer and is never cut.
void setTextIfAny(RegistryKey key, const char16_t* name, const char16_t* text) {
    if (text) platform::registry().setString(key, name, std::u16string_view(text));
}

}  // namespace

bool productKeyPathOf(const ProductIdentity& identity, TextBuffer& path) {
    return isSettingsKeyName(viewOf(identity.settingsKey)) &&
           joinPath(path, kSettingsKeyParent, viewOf(identity.settingsKey));
}

bool writeProductKeyValues(const ProductKeyValues& values, std::vector<std::uint8_t>* keyRecord) {
    RegistryKey key = 0;
    bool created = false;
    if (!values.keyPath ||
        !platform::registry().createKey(RegistryRoot::LocalMachine, values.keyPath, key, created)) {
        return false;
    }
    if (values.hasMainApp) {
        setTextIfAny(key, u"Company", values.company);
        setTextIfAny(key, u"MainAppPath", values.mainAppPath);
        platform::registry().setDword(key, u"LanguageID", values.language);
        if (values.serviceName) {
            setTextIfAny(key, u"MainServiceName", values.serviceName);
            setTextIfAny(key, u"MainServicePath", values.servicePath);
            setTextIfAny(key, u"MainServiceDescription", values.serviceDescription);
        }
    }
    platform::registry().closeKey(key);
    if (keyRecord) *keyRecord = keyRecordOf(RegistryRoot::LocalMachine, viewOf(values.keyPath));
    return true;
}

bool writeProductKey(const InstallConfig& config, std::vector<std::uint8_t>* keyRecord) {
    TextBuffer keyPath, mainAppPath, serviceName, servicePath;
    ProductKeyValues values;
    if (!productKeyPathOf(config.identity, keyPath)) return false;
    values.keyPath = keyPath;
    values.hasMainApp = config.mainApp != nullptr;
    values.company = config.company;
    values.language = config.worker.language;
    if (config.mainApp && targetPathOf(*config.mainApp, mainAppPath)) {
        values.mainAppPath = mainAppPath;
    }
    const ServiceEntry* first = config.services;
    if (first && first->file && copyText(serviceName, stemOf(viewOf(first->file->name)))) {
        values.serviceName = serviceName;
        if (targetPathOf(*first->file, servicePath)) values.servicePath = servicePath;
        values.serviceDescription = first->description;
    }
    return writeProductKeyValues(values, keyRecord);
}

bool readPreviousInstallation(const ProductIdentity& identity, PreviousInstallation& previous) {
    previous = PreviousInstallation{};
    TextBuffer keyPath;
    RegistryKey key = 0;
    if (!productKeyPathOf(identity, keyPath) ||
        !platform::registry().openKey(RegistryRoot::LocalMachine, keyPath,
                                      platform::KeyAccess::Read, key)) {
        return false;
    }
    previous.hasServicePath =
        platform::registry().queryString(key, u"MainServicePath", previous.servicePath);
    previous.hasServiceName =
        platform::registry().queryString(key, u"MainServiceName", previous.serviceName);
    platform::registry().closeKey(key);
    return true;
}
