// The uninstaller a package carries tells the product's own version, as setup.exe does: this
// project's Uninstall.exe is built with the demo product's version resource, which would
// otherwise go into every product made with the tools.
#pragma once

#include <string>

#include "tools/pkgtool/Manifest.h"
#include "tools/pkgtool/Payload.h"

// When the manifest gives a Version, the payload file its Uninstaller record names gets a
// version resource made from the manifest (company, product, version; its own description and
// original file name kept), carried as Payload::File::replacement. A file that is no program
// with a version resource of its own (another vendor's uninstaller) is carried as it is. False
// with the record's line and the cause when the program cannot be rewritten.
bool stampUninstaller(const Manifest& manifest, Payload& payload, int& line, std::string& cause);
