// Any bytes as an installer package: the load and the script parse must stay inside them,
// and whatever loads must free cleanly.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/Package.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A private copy of exactly `size` bytes, so that any over-read lands outside it.
    std::vector<std::uint8_t> blob(data, data + size);
    auto* config = new InstallConfig;
    ScriptStop stop;
    if (loadPackage(blob.data(), blob.size(), *config, &stop)) {
        for (FileNode* f = config->fileTree->allFiles; f; f = f->nextInAll) {
            findPackageFile(*config->fileTree, viewOf(f->name));
        }
    }
    releaseInstallConfig(config);
    return 0;
}
