// Entries of the desktop's context menu: HKCR\DesktopBackground\Shell\<name>, with the program's
// icon, placed at the bottom, and a "command" subkey that starts the program.
#pragma once

// Writes the entry <name>: "Icon" = targetPath and "Position" = "Bottom", then the subkey
// "command" whose default value is targetPath in double quotes (the command the shell runs). True
// when all three were set. The install worker logs only an entry that was written, so on failure
// the keys this call created are deleted again and a failed entry leaves nothing behind. False
// without touching the registry for an empty name (it would name the Shell key itself), when a key
// path would not fit 260 units or when the path cannot be quoted.
bool writeDesktopMenu(const char16_t* targetPath, const char16_t* name);

// Deletes the entry named stemOf(text): its "command" subkey first, as a key with subkeys cannot
// be deleted, then the entry. Missing keys are no error. So a name with a dot is looked for by
// the part before the dot only, as logs have always been read. Returns true, except for an empty
// name, or a text or key path over 259 units, which are refused.
bool removeDesktopMenu(const char16_t* text);
