// The package a manifest and its payload make, as `build` writes it; shared by the commands
// that carry a package on into something else.
#pragma once

#include <string>

#include "tools/pkgtool/OutputFile.h"

// Reads the manifest and its payload and writes the package into `out` (opened, not yet
// committed), one payload file at a time, then checks what was written. Returns 0, or the exit
// status after printing why the manifest was refused (naming its line).
int buildPackageInto(const std::string& manifestArg, OutputFile& out);
