// A registry key as the uninstall log records it, and its removal when the log is undone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

// The record's data: the root's 32-bit number, little-endian, then the key path in UTF-16LE with
// its terminator. Empty when the path needs more than 259 units.
std::vector<std::uint8_t> keyRecordOf(platform::RegistryRoot root, std::u16string_view path);

// Opens the parent of `path` (parentOf) under `root` with full access and deletes the leaf, read
// as stemOf the path as logs have always been read; so "SOFTWARE\KorvelServerV5" deletes
// "KorvelServerV5" below "SOFTWARE". A key with subkeys stays. False when nothing was deleted,
// also for an empty leaf, which would name the parent itself.
bool removeRegistryKey(platform::RegistryRoot root, std::u16string_view path);

// removeRegistryKey on what a record holds. False for a damaged record: shorter than a root, a
// number that is no root, or a path that does not end within 259 units (it is not cut).
bool removeKeyRecord(const std::uint8_t* data, std::size_t length);
