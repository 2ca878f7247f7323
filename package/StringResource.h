// Strings of an executable's string table (RT_STRING): sixteen counted UTF-16 strings to a
// resource, string N in resource N / 16 + 1 at place N % 16. Read and replaced one at a time,
// with the other fifteen of its resource kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/ResourceTree.h"

namespace pe {

constexpr std::uint16_t kStringType = 6;  // RT_STRING

// String `id` as the first resource holding it gives it; false when there is none, or when that
// resource's counts run past its data.
bool readString(const std::vector<Resource>& resources, std::uint16_t id, std::u16string& text);

// Puts `text` in place of string `id` in every language that has it, or adds it in the neutral
// language. Refuses (false, `reason` set, nothing changed) a resource whose counts run past its
// data, and a text longer than a count can hold.
bool setString(std::vector<Resource>& resources, std::uint16_t id, const std::u16string& text,
               std::string& reason);

}  // namespace pe
