#include "package/PeRewritePlan.h"

namespace pe {

namespace {

constexpr std::size_t kRelocationBlockHeader = 8;
constexpr std::size_t kDebugEntrySize = 28;

bool refuse(std::string& reason, std::string why) {
    reason = std::move(why);
    return false;
}

std::uint64_t extentOf(const Section& s) {
    return s.virtualSize ? s.virtualSize : s.rawSize;
}

std::uint32_t directoryAddress(const Layout& layout, std::size_t index) {
    return index < layout.directories.size() ? layout.directories[index].address : 0;
}

bool isAfter(const Layout& layout, const RewritePlan& plan, std::uint32_t rva) {
    const Section* s = sectionAt(layout, rva);
    return s && std::size_t(s - layout.sections.data()) > plan.index;
}

bool findResourceSection(const Layout& layout, RewritePlan& plan, std::string& reason) {
    std::uint32_t rva = directoryAddress(layout, kResourceDirectory);
    if (rva == 0) return refuse(reason, "the executable has no resources to replace");
    for (std::size_t i = 0; i < layout.sections.size(); ++i) {
        const Section& s = layout.sections[i];
        if (s.virtualAddress != rva) continue;
        if (s.rawSize == 0 || s.rawOffset < layout.sizeOfHeaders) {
            return refuse(reason, "the resource section holds no data in the file");
        }
        plan.index = i;
        plan.oldRawEnd = std::uint64_t(s.rawOffset) + s.rawSize;
        return true;
    }
    return refuse(reason, "the resources do not start a section of their own");
}

// The file must hold the sections before the resources before its data, and the sections
// after it after its data, so that moving the bytes after it moves exactly those sections.
bool checkFileOrder(const Layout& layout, const RewritePlan& plan, std::string& reason) {
    const Section& r = layout.sections[plan.index];
    for (std::size_t i = 0; i < layout.sections.size(); ++i) {
        const Section& s = layout.sections[i];
        if (i == plan.index || s.rawSize == 0) continue;
        bool ok = i < plan.index ? std::uint64_t(s.rawOffset) + s.rawSize <= r.rawOffset
                                 : s.rawOffset >= plan.oldRawEnd;
        if (!ok) return refuse(reason, "section " + s.name + " lies out of order in the file");
    }
    if (layout.symbolTable != 0 && layout.symbolTable >= r.rawOffset &&
        layout.symbolTable < plan.oldRawEnd) {
        return refuse(reason, "the symbol table lies inside the resource section");
    }
    return true;
}

bool allMovable(const Layout& layout, const RewritePlan& plan) {
    for (std::size_t i = plan.index + 1; i < layout.sections.size(); ++i) {
        if (!(layout.sections[i].characteristics & kSectionDiscardable)) return false;
    }
    return true;
}

bool planSizes(const Layout& layout, RewritePlan& plan, std::string& reason) {
    const Section& r = layout.sections[plan.index];
    std::uint64_t size = plan.section.size;
    std::uint64_t newExtent = alignUp(size, layout.sectionAlignment);
    std::uint64_t oldExtent = alignUp(extentOf(r), layout.sectionAlignment);
    plan.virtualSize = std::uint32_t(size);
    plan.virtualShift = std::int64_t(newExtent) - std::int64_t(oldExtent);
    bool last = plan.index + 1 == layout.sections.size();
    if (plan.virtualShift != 0 && !last && !allMovable(layout, plan)) {
        // A smaller section can keep its old extent; a larger one needs the room.
        if (plan.virtualShift > 0) {
            return refuse(reason, "a section after the resources cannot move (not discardable)");
        }
        plan.virtualSize = std::uint32_t(extentOf(r));
        plan.virtualShift = 0;
    }
    std::uint64_t raw = alignUp(size, layout.fileAlignment);
    plan.rawSize = std::uint32_t(raw);
    plan.rawShift = std::int64_t(raw) - std::int64_t(r.rawSize);
    std::uint64_t end =
        alignUp(layout.sections.back().virtualAddress + extentOf(layout.sections.back()),
                layout.sectionAlignment);
    if (std::int64_t(end) + plan.virtualShift > 0x7FFFFFFF || raw > 0x7FFFFFFF) {
        return refuse(reason, "the image would grow beyond 2 GiB");
    }
    return true;
}

// Directories in the sections that move would point at the wrong place, except the base
// relocations, which are moved with them; a directory inside the old resource section would
// be lost with it.
bool checkDirectories(const Layout& layout, const RewritePlan& plan, std::string& reason) {
    const Section& r = layout.sections[plan.index];
    for (std::size_t i = 0; i < layout.directories.size(); ++i) {
        std::uint32_t rva = layout.directories[i].address;
        if (i == kCertificateDirectory || i == kResourceDirectory || rva == 0) continue;
        const Section* holder = sectionAt(layout, rva);
        if (!holder) {
            // It could end up inside the rebuilt section.
            return refuse(reason,
                          "data directory " + std::to_string(i) + " points outside every section");
        }
        if (holder == &r) {
            return refuse(reason, "data directory " + std::to_string(i) +
                                      " lies inside the resource section");
        }
        bool moves = plan.virtualShift != 0 && isAfter(layout, plan, rva);
        if (moves && i != kRelocationDirectory) {
            return refuse(reason, "data directory " + std::to_string(i) +
                                      " lies in a section after the resources");
        }
    }
    return true;
}

// A relocated page in a section that moves means code or data refers to that section.
bool checkRelocations(std::span<const std::uint8_t> file, const Layout& layout,
                      const RewritePlan& plan, std::string& reason) {
    if (plan.virtualShift == 0 || directoryAddress(layout, kRelocationDirectory) == 0) return true;
    const Directory& d = layout.directories[kRelocationDirectory];
    std::size_t at = 0;
    if (!fileOffsetOf(layout, file.size(), d.address, d.size, at)) {
        return refuse(reason, "the base relocations lie outside the file's sections");
    }
    for (std::size_t pos = 0; pos + kRelocationBlockHeader <= d.size;) {
        std::uint32_t page = getU32(file, at + pos);
        std::uint32_t blockSize = getU32(file, at + pos + 4);
        // A block that claims more than is left ends the table (and cannot wrap the position).
        if (blockSize < kRelocationBlockHeader || blockSize > d.size - pos) break;
        if (isAfter(layout, plan, page) ||
            sectionAt(layout, page) == &layout.sections[plan.index]) {
            return refuse(reason, "relocations patch a section that would move");
        }
        pos += blockSize;
    }
    return true;
}

// Each debug entry names its data by RVA and by file offset; entries whose data moves are
// moved with it. A debug table that would itself move is refused.
bool planDebugDirectory(std::span<const std::uint8_t> file, const Layout& layout, RewritePlan& plan,
                        std::string& reason) {
    std::uint32_t rva = directoryAddress(layout, kDebugDirectory);
    bool moves = plan.virtualShift != 0 || plan.rawShift != 0;
    if (!moves || rva == 0 || layout.directories[kDebugDirectory].size == 0) return true;
    std::uint32_t size = layout.directories[kDebugDirectory].size;
    // Its entries are patched in place: inside the headers (a section whose data starts there)
    // they would overwrite the section table the rewrite has just written.
    if (!fileOffsetOf(layout, file.size(), rva, size, plan.debugTable) ||
        plan.debugTable < layout.sizeOfHeaders ||
        plan.debugTable + size > layout.sections[plan.index].rawOffset) {
        return refuse(reason, "the debug directory lies outside the sections before the resources");
    }
    plan.debugEntries = size / kDebugEntrySize;
    return true;
}

// Where the sections and the symbol table with its strings end: what a signing tool padded
// after that, up to the 8-byte boundary of its certificate table, is not part of the image.
std::uint64_t contentEnd(std::span<const std::uint8_t> file, const Layout& layout) {
    std::uint64_t end = 0;
    for (const Section& s : layout.sections)
        end = std::max(end, std::uint64_t(s.rawOffset) + s.rawSize);
    std::uint64_t strings =
        std::uint64_t(layout.symbolTable) + 18 * std::uint64_t(layout.symbolCount);
    if (layout.symbolTable != 0 && strings + 4 <= file.size()) {
        end = std::max(end, strings + getU32(file, std::size_t(strings)));
    }
    return end;
}

bool planCut(std::span<const std::uint8_t> file, const Layout& layout, RewritePlan& plan,
             std::string& reason) {
    plan.cut = file.size();
    if (layout.directories.size() <= kCertificateDirectory) return true;
    const Directory& c = layout.directories[kCertificateDirectory];
    if (c.size == 0) return true;
    if (c.address < plan.oldRawEnd || std::uint64_t(c.address) + c.size > file.size()) {
        return refuse(reason, "the certificate table is not at the end of the file");
    }
    plan.cut = c.address;
    std::uint64_t end = contentEnd(file, layout);
    // Section data or symbols that run on into the table would be cut off with it, leaving an
    // image whose headers name bytes it no longer holds.
    if (end > plan.cut)
        return refuse(reason, "the certificate table is not at the end of the file");
    if (end >= plan.oldRawEnd && end < plan.cut && plan.cut - end < 8 &&
        std::all_of(file.begin() + std::ptrdiff_t(end), file.begin() + std::ptrdiff_t(plan.cut),
                    [](std::uint8_t b) { return b == 0; })) {
        plan.cut = end;
    }
    return true;
}

std::uint32_t shifted(std::uint32_t value, std::int64_t by) {
    return std::uint32_t(std::int64_t(value) + by);
}

// A file pointer past the resource section moves with the bytes it names. One into the old
// resource section, the dropped certificate table or beyond the file names nothing any more and
// becomes 0: left as it was, it could come to name bytes of the rewritten file.
std::uint32_t movedPointer(std::uint32_t pointer, const Layout& layout, const RewritePlan& plan) {
    if (pointer < layout.sections[plan.index].rawOffset) return pointer;
    if (pointer >= plan.oldRawEnd && pointer < plan.cut) return shifted(pointer, plan.rawShift);
    return 0;
}

void patchSections(std::vector<std::uint8_t>& out, const Layout& layout, const RewritePlan& plan) {
    const Section& r = layout.sections[plan.index];
    putU32(out, r.headerOffset + 8, plan.virtualSize);
    putU32(out, r.headerOffset + 16, plan.rawSize);
    for (std::size_t i = plan.index + 1; i < layout.sections.size(); ++i) {
        const Section& s = layout.sections[i];
        putU32(out, s.headerOffset + 12, shifted(s.virtualAddress, plan.virtualShift));
        if (s.rawSize != 0) putU32(out, s.headerOffset + 20, shifted(s.rawOffset, plan.rawShift));
    }
    for (const Section& s : layout.sections) {
        for (std::size_t field : {std::size_t(24), std::size_t(28)}) {
            std::uint32_t pointer = getU32(out, s.headerOffset + field);
            putU32(out, s.headerOffset + field, movedPointer(pointer, layout, plan));
        }
    }
}

void patchDirectories(std::vector<std::uint8_t>& out, const Layout& layout,
                      const RewritePlan& plan) {
    auto field = [&](std::size_t index) {
        return layout.optionalOffset + layout.directoriesField + 8 * index;
    };
    putU32(out, field(kResourceDirectory) + 4, std::uint32_t(plan.section.size));
    if (layout.directories.size() > kCertificateDirectory) {
        putU32(out, field(kCertificateDirectory), 0);
        putU32(out, field(kCertificateDirectory) + 4, 0);
    }
    std::uint32_t relocations = directoryAddress(layout, kRelocationDirectory);
    if (relocations != 0 && isAfter(layout, plan, relocations)) {
        putU32(out, field(kRelocationDirectory), shifted(relocations, plan.virtualShift));
    }
}

void patchDebugEntries(std::vector<std::uint8_t>& out, const Layout& layout,
                       const RewritePlan& plan) {
    for (std::size_t i = 0; i < plan.debugEntries; ++i) {
        std::size_t entry = plan.debugTable + i * kDebugEntrySize;
        std::uint32_t address = getU32(out, entry + 20);
        std::uint32_t pointer = getU32(out, entry + 24);
        if (address != 0 && isAfter(layout, plan, address)) {
            putU32(out, entry + 20, shifted(address, plan.virtualShift));
        }
        putU32(out, entry + 24, movedPointer(pointer, layout, plan));
    }
}

}  // namespace

bool planRewrite(std::span<const std::uint8_t> file, const std::vector<Resource>& resources,
                 const Layout& layout, RewritePlan& plan, std::string& reason) {
    return findResourceSection(layout, plan, reason) && checkFileOrder(layout, plan, reason) &&
           planCut(file, layout, plan, reason) &&
           buildResourceSection(resources, layout.sections[plan.index].virtualAddress, plan.section,
                                reason) &&
           planSizes(layout, plan, reason) && checkDirectories(layout, plan, reason) &&
           checkRelocations(file, layout, plan, reason) &&
           planDebugDirectory(file, layout, plan, reason);
}

void patchHeaders(std::vector<std::uint8_t>& out, const Layout& layout, const RewritePlan& plan) {
    patchSections(out, layout, plan);
    patchDebugEntries(out, layout, plan);
    patchDirectories(out, layout, plan);
    const Section& r = layout.sections[plan.index];
    if (r.characteristics & kSectionInitializedData) {
        std::size_t at = layout.optionalOffset + kSizeOfInitializedDataField;
        putU32(out, at, shifted(getU32(out, at), plan.rawShift));
    }
    const Section& last = layout.sections.back();
    std::uint64_t lastExtent = last.virtualSize ? last.virtualSize : last.rawSize;
    if (&last == &r) lastExtent = plan.virtualSize;
    std::uint64_t lastAddress =
        &last == &r ? last.virtualAddress : shifted(last.virtualAddress, plan.virtualShift);
    putU32(out, layout.optionalOffset + kSizeOfImageField,
           std::uint32_t(alignUp(lastAddress + lastExtent, layout.sectionAlignment)));
    std::uint32_t symbols = movedPointer(layout.symbolTable, layout, plan);
    putU32(out, layout.coffOffset + kSymbolTableField, symbols);
    if (symbols == 0) putU32(out, layout.coffOffset + kSymbolTableField + 4, 0);
    // Counted as zero; set once every byte has been written.
    putU32(out, layout.optionalOffset + kCheckSumField, 0);
}
}  // namespace pe
