// The files below a payload folder, read through the file-system layer so the tool behaves the
// same natively and on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/PackageWriter.h"

struct Payload {
    struct File {
        std::u16string path;  // relative, components joined by "\"
        std::vector<std::uint8_t> bytes;
    };
    std::vector<File> files;
    std::vector<std::u16string> folders;  // every folder below the payload folder
};

// Reads every file and folder below `folder`; false with the cause when the folder or any
// file in it cannot be read.
bool readPayload(const std::u16string& folder, Payload& payload, std::string& cause);

// The payload and the records as the package writer takes them; the input refers to the
// payload's bytes.
PackageInput packageInputOf(const std::u16string& rootName, const Payload& payload,
                            const std::vector<ScriptRecord>& records);
