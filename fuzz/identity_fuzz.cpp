// Any bytes as the product identity block that follows a package: the reader stays inside them,
// what it accepts writes back as a block that reads the same, and a package followed by them
// loads exactly when they are a sound block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "package/Package.h"
#include "package/PackageWriter.h"
#include "package/ProductIdentity.h"

namespace {

bool same(const ProductIdentity& a, const ProductIdentity& b) {
    return textEquals(a.settingsKey, b.settingsKey) && textEquals(a.dataFolder, b.dataFolder) &&
           textEquals(a.version, b.version) && a.touch == b.touch;
}

// The smallest package there is: no records, an empty root.
const std::vector<std::uint8_t>& emptyPackage() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> out;
        PackageFault fault;
        writePackage(PackageInput{}, out, fault);
        return out;
    }();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A private copy of exactly `size` bytes, so that any over-read lands outside it.
    std::vector<std::uint8_t> block(data, data + size);
    ProductIdentity identity;
    bool sound = readIdentityBlock(block.data(), block.size(), identity);
    if (sound) {
        std::vector<std::uint8_t> again = identityBlockOf(identity);
        ProductIdentity reread;
        if (!readIdentityBlock(again.data(), again.size(), reread) || !same(identity, reread)) {
            std::abort();
        }
    }
    std::vector<std::uint8_t> package = emptyPackage();
    package.insert(package.end(), block.begin(), block.end());
    auto* config = new InstallConfig;
    bool loaded = loadPackage(package.data(), package.size(), *config);
    if (loaded != (sound || size == 0) || (sound && !same(config->identity, identity))) {
        std::abort();
    }
    releaseInstallConfig(config);
    return 0;
}
