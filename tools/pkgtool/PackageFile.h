// A package file loaded for inspection, as the installer loads its resource: mapped, and kept
// mapped while loaded, as the tree reads every file's bytes from the package itself.
#pragma once

#include <string>

#include "package/Package.h"
#include "tools/pkgtool/MappedFile.h"

class LoadedPackage {
public:
    LoadedPackage() : config_(new InstallConfig) {}
    ~LoadedPackage() { releaseInstallConfig(config_); }
    LoadedPackage(const LoadedPackage&) = delete;
    LoadedPackage& operator=(const LoadedPackage&) = delete;

    // Reads and loads the file; on failure prints the reason on stderr ("package rejected:
    // REASON" for a package the installer would refuse) and returns false.
    bool load(const std::string& path);

    InstallConfig& config() { return *config_; }
    // Lets the pages of a file written out go: going through a package of any size then
    // holds about one file of it in memory at a time.
    void release(const FileNode& file) const { file_.release(file.contents, file.storedSize); }
    const ScriptStop& scriptStop() const { return stop_; }

private:
    MappedFile file_;  // outlives the configuration, which refers to it
    InstallConfig* config_;
    ScriptStop stop_;
};

// The package-relative path of a file: "dir\name", the name alone for a root file, "-" for none.
std::string packagePathOf(const FileNode* file);
