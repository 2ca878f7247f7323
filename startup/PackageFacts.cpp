#include "startup/PackageFacts.h"

#include "common/Text.h"
#include "package/Package.h"
#include "platform/Resources.h"

bool readPackageFacts(std::u16string& product, ProductIdentity& identity) {
    platform::ResourceView view;
    if (!platform::resources().lock(kPackageResource, u"RES_DATA", view)) return false;
    auto* config = new InstallConfig;
    bool loaded = loadPackage(view.data, view.size, *config);
    if (loaded) {
        product = viewOf(config->product);
        identity = config->identity;
    }
    releaseInstallConfig(config);
    platform::resources().release(view);
    return loaded;
}

std::u16string packageProductName() {
    std::u16string product;
    ProductIdentity identity;
    readPackageFacts(product, identity);
    return product;
}
