// The product settings key HKLM\SOFTWARE\<settings key of the product identity> (the demo
// product's is SOFTWARE\KorvelServerV5): written by the installation, read by the product and by
// the next installer of the same product to find the previous installation.
#pragma once

#include <cstdint>
#include <vector>

#include "common/Text.h"
#include "package/InstallConfig.h"
#include "package/ProductIdentity.h"

// "SOFTWARE\" and the identity's settings key; false when that is no settings key name.
bool productKeyPathOf(const ProductIdentity& identity, TextBuffer& path);

// What goes into the key. A text that is none is left out.
struct ProductKeyValues {
    const char16_t* keyPath = nullptr;  // below HKEY_LOCAL_MACHINE; none writes nothing
    bool hasMainApp = false;            // false: the key is created and left empty
    const char16_t* company = nullptr;
    const char16_t* mainAppPath = nullptr;
    std::uint32_t language = 0;             // LanguageID, a REG_DWORD
    const char16_t* serviceName = nullptr;  // none: no service values at all
    const char16_t* servicePath = nullptr;
    const char16_t* serviceDescription = nullptr;
};

// Creates the key and, when there is a main application, sets "Company", "MainAppPath",
// "LanguageID", then "MainServiceName", "MainServicePath" and "MainServiceDescription" in this
// order. A value that cannot be set is left out and the rest still go in: the key itself is
// what the uninstall log needs. False, with nothing written, only when there is no key path
// or the key cannot be created. On success `keyRecord`, when given, receives the uninstall log's
// record of the key.
bool writeProductKeyValues(const ProductKeyValues& values, std::vector<std::uint8_t>* keyRecord);

// writeProductKeyValues with the values the install configuration gives: the key of its
// product identity, `company`, the target
// path of `mainApp`, the worker's `language`, and from the head of `services` (the script's
// last service) its executable's name without extension, its target path and its description.
// A target path that does not fit 260 units is left out rather than cut.
bool writeProductKey(const InstallConfig& config, std::vector<std::uint8_t>* keyRecord);

// What an earlier installation left in the key. A value that is missing, not text, or longer
// than 259 units counts as absent.
struct PreviousInstallation {
    bool hasServicePath = false;
    TextBuffer servicePath{};
    bool hasServiceName = false;
    TextBuffer serviceName{};
};

// Opens the product's key for reading and reads "MainServicePath" and "MainServiceName". False
// when the key does not open (no previous installation of this product found this way).
bool readPreviousInstallation(const ProductIdentity& identity, PreviousInstallation& previous);
