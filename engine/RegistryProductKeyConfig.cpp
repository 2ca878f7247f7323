// Kept apart from the key writer: this is the only registry code that needs the package's file
// tree to compose target paths.
#include "engine/RegistryProductKey.h"

#include "package/FileTree.h"

bool writeProductKey(const InstallConfig& config, std::vector<std::uint8_t>* keyRecord) {
    TextBuffer mainAppPath, serviceName, servicePath;
    ProductKeyValues values;
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
