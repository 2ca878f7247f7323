// The package a manifest and its payload make, as `build` writes it; shared by the commands
// that carry a package on into something else.
#pragma once

#include <string>

#include "tools/pkgtool/Manifest.h"
#include "tools/pkgtool/OutputFile.h"

// Reads the manifest and its payload and writes the package into `out` (opened, not yet
// committed), one payload file at a time, then checks what was written. Returns 0 (with the
// manifest read and completed in `read`, when given), or the exit status after printing why
// the manifest was refused (naming its line). The files are compressed unless `store` asks for
// them as they are (the package every earlier pkgtool made).
int buildPackageInto(const std::string& manifestArg, OutputFile& out, Manifest* read = nullptr,
                     bool store = false);

// Prints a refusal of the manifest as `build` does: "MANIFEST:LINE: CAUSE"; returns 1.
int refuseManifest(const std::string& manifestArg, int line, const std::string& cause);
