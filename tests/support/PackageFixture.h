// A loaded package and the fake file system it extracts into, restored after each test.
#pragma once

#include <gtest/gtest.h>

#include "package/Package.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FaultPlan.h"

namespace testpkg {

class FakeFilesScope {
public:
    FakeFilesScope() : saved_(platform::os().files) {
        platform::os().files = &fs;
        fake::faults().clear();
    }
    ~FakeFilesScope() {
        platform::os().files = saved_;
        fake::faults().clear();
    }
    fake::FakeFileSystem fs;

private:
    platform::FileSystem* saved_;
};

// Keeps its own copy of the package, as setup.exe keeps its resource: the tree reads the
// files' bytes from it.
struct LoadedConfig {
    std::vector<std::uint8_t> bytes;
    InstallConfig* owned = new InstallConfig;
    InstallConfig& config = *owned;
    LoadedConfig() = default;
    LoadedConfig(const LoadedConfig&) = delete;
    LoadedConfig& operator=(const LoadedConfig&) = delete;
    ~LoadedConfig() { releaseInstallConfig(owned); }
    bool load(const std::vector<std::uint8_t>& blob, ScriptStop* stop = nullptr) {
        bytes = blob;
        return loadPackage(bytes.data(), bytes.size(), config, stop);
    }
    PackageRoot& tree() { return *config.fileTree; }
};

template <typename Node>
std::size_t lengthOf(const Node* list) {
    std::size_t n = 0;
    for (; list; list = list->next) ++n;
    return n;
}

inline std::u16string pathOf(const FileNode* f) {
    if (!f) return u"<none>";
    std::u16string out;
    if (f->parent) out = std::u16string(viewOf(f->parent->name)) + u"\\";
    return out + std::u16string(viewOf(f->name));
}

}  // namespace testpkg

namespace testpkg {

inline std::vector<std::u16string> allFilePaths(const PackageRoot& root) {
    std::vector<std::u16string> out;
    for (const FileNode* f = root.allFiles; f; f = f->nextInAll) out.push_back(pathOf(f));
    return out;
}

}  // namespace testpkg
