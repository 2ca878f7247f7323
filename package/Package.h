// The installer package as it travels in the executable: a size-checked pair of blocks, the
// install script and the file block, loaded into the global install configuration.
#pragma once

#include <cstddef>
#include <cstdint>

#include "package/InstallConfig.h"
#include "package/InstallScript.h"

// The top bit of totalSize: the file block's file contents are compressed (package/FileCodec.h);
// everything else is laid out as in a stored package, and the rest of totalSize is its size.
// No stored package reaches 2 GiB (kMaxPackageSize), so the bit is always clear in one; and a
// loader that does not know the bit finds totalSize != L + F + 4 and rejects the package before
// it reads anything else, as every loader of this format has always checked.
constexpr std::uint32_t kCompressedPackage = 0x80000000u;

// Why a package was rejected (none when it was accepted).
extern const char* lastPackageRejection;

// Loads the blob of `size` bytes (the resource's size): the package, then the product identity
// that may follow it (package/ProductIdentity.h). False when the sizes do not add up, any
// block points outside the blob, or what follows the package is no sound identity block; the
// configuration is then cleared and has no tree. The tree keeps what it needs to know (names,
// sizes, where each file's bytes lie), not the bytes: they are written from the blob itself,
// which must stay in place until the next load or the release (the executable's resource stays
// mapped for the life of the process).
bool loadPackage(const std::uint8_t* blob, std::size_t size, InstallConfig& config,
                 ScriptStop* scriptStop = nullptr);

// Final release: clears everything and frees the record itself.
void releaseInstallConfig(InstallConfig* config);
