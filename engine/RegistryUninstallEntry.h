// The product's entry in the system's list of installed programs, as Add/Remove Programs and
// deployment tools read it.
#pragma once

#include <cstdint>

#include "common/Text.h"

// What the entry says. Texts are NUL-terminated; `version` may be none or empty.
struct UninstallEntry {
    // The key's name: the product's identity (its settings key), never its display name, which
    // another vendor's product may share. None: the display name, as earlier versions named it.
    const char16_t* key = nullptr;
    const char16_t* name = nullptr;  // DisplayName: the product
    const char16_t* uninstallerPath = nullptr;
    const char16_t* publisher = nullptr;
    const char16_t* version = nullptr;          // DisplayVersion
    const char16_t* installLocation = nullptr;  // the product folder
    std::uint32_t estimatedSizeKb = 0;          // EstimatedSize: what the files take, in KiB
    const char16_t* identity = nullptr;     // "ProductIdentity": whose entry it is; none: left out
    const char16_t* installDate = nullptr;  // InstallDate, YYYYMMDD; none: left out
    const char16_t* displayIcon = nullptr;  // DisplayIcon; none: the uninstaller's path
};

// Creates HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\<key> and sets, in this
// order, stopping at the first that fails: "DisplayIcon" (the icon given, else the uninstaller's
// path), "DisplayName" = name, "Publisher", "UninstallString" = the uninstaller's path in double
// quotes (a launch string: unquoted, a path with spaces could start "C:\Program.exe"),
// "DisplayVersion" (only with a version), "QuietUninstallString" = the quoted path and " /S",
// "InstallLocation", "InstallDate" and "ProductIdentity" (each only when given), and the
// REG_DWORDs "EstimatedSize", "NoModify" = 1 and "NoRepair" = 1 (the uninstaller can neither
// change nor repair an installation). True only when all were set. The install worker
// logs the entry whatever the result, and the entry goes as one key, so a half-written entry is
// removed with the rest. False without touching the registry for an empty name (the key would
// be the list itself), when the key path or a text would not fit 260 units, or when the path
// cannot be quoted (it holds a quote).
bool writeUninstallEntry(const UninstallEntry& entry);

// The folder an installation's Uninstall entry names (InstallLocation); false when there is no
// entry of that name or it names none.
bool readUninstallLocation(const char16_t* name, TextBuffer& location);

// Deletes the entry <name>, with every value in it, from the Uninstall list; a missing entry is
// no error. Returns true, except for an empty name, which is refused because it would name the
// list itself.
bool removeUninstallEntry(const char16_t* name);
