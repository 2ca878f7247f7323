// Any bytes as a compressed installer package: the flag is set whatever the input says, so
// that every input reaches the compressed file block. The load must stay inside the bytes, and
// writing every file must stay inside each file's stored bytes and never hand on more than its
// size, whatever its frame holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "package/Package.h"

namespace {

// Decoding is bounded by the declared size; a file declared larger is left out so that one
// input cannot take minutes.
constexpr std::uint32_t kLargestDecoded = std::uint32_t(1) << 20;

void writeEvery(const PackageRoot& root) {
    for (const FileNode* f = root.allFiles; f; f = f->nextInAll) {
        if (f->size > kLargestDecoded) continue;
        std::uint64_t handed = 0;
        bool whole = fileContentsOf(*f)([&handed](const std::uint8_t* bytes, std::size_t size) {
            if (size == 0 || !bytes) std::abort();
            handed += size;
            return true;
        });
        if (handed > f->size || (whole && handed != f->size)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> blob(data, data + size);
    if (blob.size() >= 4) blob[3] |= 0x80;
    auto* config = new InstallConfig;
    if (loadPackage(blob.data(), blob.size(), *config)) {
        if (!config->fileTree->compressed) std::abort();
        writeEvery(*config->fileTree);
    }
    releaseInstallConfig(config);
    return 0;
}
