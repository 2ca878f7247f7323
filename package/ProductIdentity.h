// Who the product is, as far as the installer's own records go: the name of its settings key
// (HKLM\SOFTWARE\NAME), the name of its shared data folder below the common documents folder,
// and its version. Two installations belong to the same product exactly when their settings
// keys are the same name; nothing the installer finds is removed, rewritten or read as the
// product's own unless it carries the product's identity.
//
// The identity travels with the package as a block of its own, placed right after the
// package's totalSize bytes (in the same resource, and in PACKAGE.bin). The package itself is
// unchanged by it. Layout, little-endian, no alignment:
//
//   offset  size  field
//   0       4     magic "TPID"
//   4       2     format, 1
//   6       4     blockSize: the whole block, this header included (10 to 4096)
//   10      ...   fields up to blockSize, each: tag (2), size (2), size bytes of data
//
// The block must end exactly where the blob ends. Texts are UTF-16LE without a terminator.
// Tags 1 and 2 must appear, and no tag twice; the version (3) may be left out. The touch
// devices (4) are the vendor id (2), a count of product ids (2, at most kMaxTouchProducts) and
// that many product ids (2 each), nothing more; a vendor of 0 or a product id listed twice is
// refused. Without tag 4 the product's devices are the defaults of device/TouchDeviceIds.h,
// as for every package made before the tag. A tag this
// reader does not know is skipped, so that a later field never makes an older installer
// refuse a package. A package without any bytes
// after totalSize is a package made before identities: it is the demo product's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/Text.h"
#include "device/TouchDeviceIds.h"

struct ProductIdentity {
    TextBuffer settingsKey{};  // HKLM\SOFTWARE\<settingsKey>
    TextBuffer dataFolder{};   // <common documents>\<dataFolder>
    TextBuffer version{};      // may be empty: not known
    TouchDeviceIds touch{};    // the devices the installer waits for
};

enum IdentityTag : std::uint16_t {
    IDENTITY_SETTINGS_KEY = 1,
    IDENTITY_DATA_FOLDER = 2,
    IDENTITY_VERSION = 3,
    IDENTITY_TOUCH_DEVICES = 4,
};

constexpr std::uint8_t kIdentityMagic[4] = {'T', 'P', 'I', 'D'};
constexpr std::uint16_t kIdentityFormat = 1;
constexpr std::size_t kIdentityHeaderSize = 10;
constexpr std::size_t kMaxIdentityBlock = 4096;
// "SOFTWARE\" and the name must fit one 260-unit key path.
constexpr std::size_t kMaxSettingsKeyUnits = 250;
constexpr std::size_t kMaxVersionUnits = 23;  // "65535.65535.65535.65535"

// The demo product's identity, which installations in the field rely on: settings key
// "KorvelServerV5", data folder "Vantrel", no version.
ProductIdentity demoIdentity();

// A plain name (common/Names.h) of at most kMaxSettingsKeyUnits units without any ".": the
// uninstall log's key removal takes the leaf of a key path up to its first ".".
bool isSettingsKeyName(std::u16string_view name);
// A plain name.
bool isDataFolderName(std::u16string_view name);
// One to four decimal numbers from 0 to 65535 separated by single dots ("6.0.2"), as a
// version resource can hold them.
bool isVersionText(std::u16string_view text);

// Same settings key, ASCII letter case ignored (as the registry compares).
bool sameProduct(const ProductIdentity& a, const ProductIdentity& b);

// Reads a block that fills exactly `size` bytes. False, with the reason, for a block that is
// damaged, of another format, or holds a field that is missing, repeated or not as described
// above; `identity` is then left as it was.
bool readIdentityBlock(const std::uint8_t* bytes, std::size_t size, ProductIdentity& identity,
                       const char** reason = nullptr);

// The identity of a package blob of `size` bytes whose totalSize, `packageSize`, has been
// checked to lie within it: the demo product's when nothing follows the package, otherwise
// the block that follows. False, with the reason, when what follows is no sound block.
bool readPackageIdentity(const std::uint8_t* blob, std::size_t size, std::size_t packageSize,
                         ProductIdentity& identity, const char** reason = nullptr);

// The block for an identity whose names and version pass the checks above (an empty version is
// left out, and so are touch devices that are the defaults).
std::vector<std::uint8_t> identityBlockOf(const ProductIdentity& identity);
