// The wizard shows a licence as UTF-16LE text after a byte-order mark. Release engineers write
// licences in UTF-8 (with or without a mark) far more often: those are converted as the package
// is built, and text that is neither is refused with what to do, never shown as mojibake.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The licence file's bytes as the wizard reads them: kept when they already are UTF-16LE with
// a mark; UTF-8 (a mark or none) and UTF-16BE with a mark converted. False with what to do
// when they are none of these.
bool licenceTextOf(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& out,
                   std::string& cause);
