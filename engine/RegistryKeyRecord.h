// A registry key as the uninstall log records it (LOG_REGISTRY_KEY), and its removal when the
// log is undone.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/UninstallLog.h"
#include "platform/Registry.h"

// The record's data: the root's 32-bit number, little-endian, then the key path in UTF-16LE with
// its terminator. Empty when the path needs more than 259 units.
std::vector<std::uint8_t> keyRecordOf(platform::RegistryRoot root, std::u16string_view path);

// Opens the parent of `path` (parentOf) under `root` with full access and deletes the leaf, read
// as stemOf the path as logs have always been read; so "SOFTWARE\KorvelServerV5" deletes
// "KorvelServerV5" below "SOFTWARE". A key with subkeys stays. False when nothing was deleted,
// also for an empty leaf, which would name the parent itself.
bool removeRegistryKey(platform::RegistryRoot root, std::u16string_view path);

// removeRegistryKey on a LOG_REGISTRY_KEY record. False for a damaged record (see recordText: a
// path that is not terminated within 259 units is refused, never cut) or a number that is no
// root.
bool removeKeyRecord(const LogRecord& record);
