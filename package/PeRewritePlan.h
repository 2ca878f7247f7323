// How a resource rewrite changes the image, worked out before any byte is written, and the
// header fields it patches: where the resource section lies, its new sizes, how far the sections
// after it move, what of the file is kept, and the debug entries that move with their data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "package/PeImage.h"
#include "package/ResourceTree.h"

namespace pe {

struct RewritePlan {
    std::size_t index = 0;  // of the resource section
    ResourceSection section;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
    std::int64_t virtualShift = 0;  // for the sections after it
    std::int64_t rawShift = 0;      // for every file byte after it
    std::uint64_t oldRawEnd = 0;
    std::uint64_t cut = 0;       // where the kept file ends: the certificate table is left out
    std::size_t debugTable = 0;  // file offset of the debug entries, if any
    std::size_t debugEntries = 0;
};

// Builds the new resource section from `resources` and plans its place; false with the reason
// when the image cannot take it without breaking what points into the sections that would move.
bool planRewrite(std::span<const std::uint8_t> file, const std::vector<Resource>& resources,
                 const Layout& layout, RewritePlan& plan, std::string& reason);

// The section table, directories, debug entries, sizes and symbol-table pointer of the headers
// in `out` made to fit the plan; the checksum counted as zero.
void patchHeaders(std::vector<std::uint8_t>& out, const Layout& layout, const RewritePlan& plan);

}  // namespace pe
