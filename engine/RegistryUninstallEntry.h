// The product's entry in the system's list of installed programs.
#pragma once

// Creates HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\<name> and sets
// "DisplayIcon" = uninstallerPath, "DisplayName" = name, "Publisher" = publisher and
// "UninstallString" = uninstallerPath in double quotes (a launch string: unquoted, a path with
// spaces could start "C:\Program.exe") in this order, stopping at the first that fails. True
// only when all four were set. The install worker logs the entry whatever the result, so a
// half-written entry is removed with the rest. False without touching the registry for an empty
// name (the key would be the list itself), when the key path or a text would not fit 260
// units, or when the path cannot be quoted (it holds a quote).
bool writeUninstallEntry(const char16_t* name, const char16_t* uninstallerPath,
                         const char16_t* publisher);

// Deletes the entry <name> from the Uninstall list; a missing entry is no error. Returns true,
// except for an empty name, which is refused because it would name the list itself.
bool removeUninstallEntry(const char16_t* name);
