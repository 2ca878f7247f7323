// Why the installer refuses a folder before it changes anything, in the installation's language:
// the second line of the ST_FILE_ERROR message, under the folder it names.
#pragma once

#include <cstdint>
#include <string>

enum class Refusal {
    NotAFullPath,     // not a drive and plain names: the current folder would decide
    Missing,          // the folder, or one above it, does not exist
    OthersCanChange,  // a link, or others could rename, replace or re-permission it or one above
    AnotherProduct,   // an installation of another product lies there
};

// "FOLDER\r\nREASON".
std::u16string refusalText(std::uint32_t langId, std::u16string_view folder, Refusal why);
