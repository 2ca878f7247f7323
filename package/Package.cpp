#include "package/Package.h"

const char* lastPackageRejection = nullptr;

namespace {

void unload(InstallConfig& config) {
    dropWorkerThread(config);
    clearInstallScript(config);
    if (config.fileTree) {
        freeFileTree(*config.fileTree);
        delete config.fileTree;
        config.fileTree = nullptr;
    }
}

bool reject(InstallConfig& config, const char* reason) {
    unload(config);
    lastPackageRejection = reason;
    return false;
}

}  // namespace

bool loadPackage(const std::uint8_t* blob, std::size_t size, InstallConfig& config,
                 ScriptStop* scriptStop) {
    unload(config);
    lastPackageRejection = nullptr;
    if (!blob || size < 8) return reject(config, "shorter than 8 bytes");
    std::uint32_t total = readU32(blob), scriptSize = readU32(blob + 4);
    bool compressed = (total & kCompressedPackage) != 0;
    total &= ~kCompressedPackage;
    if (scriptSize < 4) return reject(config, "script block smaller than its size field");
    if (std::uint64_t(scriptSize) + 8 > size)
        return reject(config, "script block runs past the end");
    std::uint32_t fileBlockSize = readU32(blob + 4 + scriptSize);
    if (total != std::uint32_t(scriptSize + fileBlockSize + 4)) {
        return reject(config, "total size is not script size + file block size + 4");
    }
    if (std::uint64_t(scriptSize) + fileBlockSize + 4 > size) {
        return reject(config, "file block runs past the end");
    }
    const char* identityFault = nullptr;
    if (!readPackageIdentity(blob, size, total, config.identity, &identityFault)) {
        return reject(config, identityFault);
    }
    config.fileTree = new PackageRoot;
    bool badName = false;
    if (!buildFileTree(blob + 4 + scriptSize, fileBlockSize, *config.fileTree, &badName,
                       compressed)) {
        return reject(config, badName ? "a name in the file block would leave its folder"
                                      : "file block points outside itself");
    }
    parseInstallScript(blob + 4, scriptSize, config, scriptStop);
    return true;
}

void releaseInstallConfig(InstallConfig* config) {
    if (!config) return;
    unload(*config);
    delete config;
}
