// The install script: tagged records that fill the install configuration.
#pragma once

#include <cstddef>
#include <cstdint>

#include "package/InstallConfig.h"

// Where and why a parse stopped early; offset is counted from the script block's size field.
struct ScriptStop {
    std::size_t offset = 0;
    const char* reason = nullptr;
};

// Parses the block at `block` (its size field L); `available` is how many bytes may be read
// from there. True when the whole stream was read; false at the first malformed record (what
// was read before it stays), when a record runs past L or the blob, or without a file tree.
bool parseInstallScript(const std::uint8_t* block, std::size_t available, InstallConfig& config,
                        ScriptStop* stop = nullptr);

// Empties the script-derived fields; company, product and the tree stay.
void clearInstallScript(InstallConfig& config);
