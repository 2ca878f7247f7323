// The licence files of a package, turned into what the wizard reads as the package is built.
#pragma once

#include <string>

#include "tools/pkgtool/Manifest.h"
#include "tools/pkgtool/Payload.h"

// Every payload file a Licence record names, converted in place (Payload::File::replacement).
// False with the record's line and the cause at the first file that cannot be read as text.
bool convertLicences(const Manifest& manifest, Payload& payload, int& line, std::string& cause);
