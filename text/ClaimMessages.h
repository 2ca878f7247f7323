// Why an installation ends before it changes anything because of what another product holds,
// in the installation's language: the box or log text of ST_NAME_TAKEN and ST_NEWER_VERSION.
#pragma once

#include <cstdint>
#include <string>

// "ITEM\r\nREASON": the item a name belongs to and, in the reason, its owner (when the item
// tells).
std::u16string takenText(std::uint32_t langId, std::u16string_view item, std::u16string_view owner);

// Names the installed version and the one this setup carries, and how to install it anyway.
std::u16string newerVersionText(std::uint32_t langId, std::u16string_view product,
                                std::u16string_view found, std::u16string_view installing);
