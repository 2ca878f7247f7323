// The shape of a resource directory, which the tree's reader and the section's writer share.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pe {

// Set in an entry's name field: a name, not a number; in its offset: a table, not a data entry.
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kTableHeader = 16;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;

}  // namespace pe
