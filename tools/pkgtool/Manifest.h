// The release engineer's description of a package: the root name, the payload folder, and one
// XML element per install script record, in document order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/PackageWriter.h"

struct Manifest {
    std::u16string rootName;
    std::u16string payloadFolder;  // as the file-system layer takes it
    int rootLine = 0;
    std::vector<ScriptRecord> records;
    std::vector<int> recordLines;             // one per record
    std::vector<std::string> recordElements;  // one per record
};

// Where and why a manifest was refused; line 0 when no line is to blame.
struct ManifestError {
    int line = 0;
    std::string cause;
};

// Reads and checks the manifest at `path`: well-formed XML, known elements and attributes
// only, the required attributes present, licence languages 0 to 4.
bool readManifest(const std::u16string& path, Manifest& manifest, ManifestError& error);
// The same checks on a manifest's bytes; `path` is where it lies, which the payload folder is
// relative to.
bool parseManifest(const std::vector<std::uint8_t>& bytes, const std::u16string& path,
                   Manifest& manifest, ManifestError& error);
