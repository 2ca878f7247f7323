// The installer package of the test build of setup.exe may come from a file beside it instead
// of its resource, so that the end-to-end tests install products of their own with a build
// that cannot be rewritten by make-setup (a 64-bit test build). The file is read once, at the
// first look, and kept for the life of the process, as the mapped resource would be. Every
// other resource, and the package when no such file exists, comes from the executable.
// Never part of the shipped setup.exe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Resources.h"

class SimulatedPackage : public platform::Resources {
public:
    SimulatedPackage(std::u16string packageFile, platform::Resources& own)
        : file_(std::move(packageFile)), own_(own) {}

    bool lock(int id, const char16_t* type, platform::ResourceView& view) override;
    void release(platform::ResourceView& view) override;
    int loadString(int id, char16_t* buffer, int units) override;

private:
    std::u16string file_;
    platform::Resources& own_;
    bool read_ = false;
    bool present_ = false;
    std::vector<std::uint8_t> bytes_;
};
