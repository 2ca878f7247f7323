// The files below a payload folder, listed through the file-system layer so the tool behaves the
// same natively and on Windows. Only their names and sizes are read up front: each file's bytes
// are read as the package is written, one piece at a time, so no payload is ever held whole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/PackageWriter.h"

struct Payload {
    struct File {
        std::u16string path;  // relative, components joined by "\"
        std::u16string full;  // where it lies
        std::uint64_t size = 0;
        // Bytes carried instead of the file's own (a licence converted to what the wizard reads).
        bool converted = false;
        std::vector<std::uint8_t> replacement;
    };
    std::vector<File> files;
    std::vector<std::u16string> folders;  // every folder below the payload folder
};

// Lists every file and folder below `folder`; false with the cause when the folder or any
// file in it cannot be read.
bool readPayload(const std::u16string& folder, Payload& payload, std::string& cause);

// The payload and the records as the package writer takes them; each file's bytes are read
// from its place when the package is written (a converted file's come from the payload, which
// must outlive the input).
PackageInput packageInputOf(const std::u16string& rootName, const Payload& payload,
                            const std::vector<ScriptRecord>& records);
