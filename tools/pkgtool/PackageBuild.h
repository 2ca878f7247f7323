// The package a manifest and its payload make, as `build` writes it; shared by the commands
// that carry a package on into something else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads the manifest and its payload and writes the package into `bytes`. Returns 0, or the
// exit status after printing why the manifest was refused (naming its line).
int buildPackageBytes(const std::string& manifestArg, std::vector<std::uint8_t>& bytes);
