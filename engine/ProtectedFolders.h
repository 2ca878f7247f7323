// Folders the installer makes where a caller named one that does not exist yet (the base folder
// of /D=, the folder of /LOG=): each missing level from the drive's root down, with the
// protected access list (platform/Security.h), so that nobody else can change them afterwards
// and the folder judgements take them.
#pragma once

#include <string_view>

// Makes every missing level of `folder` (a drive and plain names; anything else is left alone)
// and logs each one made. True when the folder exists afterwards.
bool makeMissingFolders(std::u16string_view folder);
