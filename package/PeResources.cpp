#include "package/PeResources.h"

#include <algorithm>

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

// What the rewrite changes, worked out before any byte is written.
struct Plan {
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

std::uint32_t directoryAddress(const Layout& layout, std::size_t index) {
    return index < layout.directories.size() ? layout.directories[index].address : 0;
}

bool isAfter(const Layout& layout, const Plan& plan, std::uint32_t rva) {
    const Section* s = sectionAt(layout, rva);
    return s && std::size_t(s - layout.sections.data()) > plan.index;
}

bool findResourceSection(const Layout& layout, Plan& plan, std::string& reason) {
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
bool checkFileOrder(const Layout& layout, const Plan& plan, std::string& reason) {
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

bool allMovable(const Layout& layout, const Plan& plan) {
    for (std::size_t i = plan.index + 1; i < layout.sections.size(); ++i) {
        if (!(layout.sections[i].characteristics & kSectionDiscardable)) return false;
    }
    return true;
}

bool planSizes(const Layout& layout, Plan& plan, std::string& reason) {
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
bool checkDirectories(const Layout& layout, const Plan& plan, std::string& reason) {
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
bool checkRelocations(std::span<const std::uint8_t> file, const Layout& layout, const Plan& plan,
                      std::string& reason) {
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
bool planDebugDirectory(std::span<const std::uint8_t> file, const Layout& layout, Plan& plan,
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

bool planCut(std::span<const std::uint8_t> file, const Layout& layout, Plan& plan,
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
std::uint32_t movedPointer(std::uint32_t pointer, const Layout& layout, const Plan& plan) {
    if (pointer < layout.sections[plan.index].rawOffset) return pointer;
    if (pointer >= plan.oldRawEnd && pointer < plan.cut) return shifted(pointer, plan.rawShift);
    return 0;
}

void patchSections(std::vector<std::uint8_t>& out, const Layout& layout, const Plan& plan) {
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

void patchDirectories(std::vector<std::uint8_t>& out, const Layout& layout, const Plan& plan) {
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

void patchDebugEntries(std::vector<std::uint8_t>& out, const Layout& layout, const Plan& plan) {
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

void patchHeaders(std::vector<std::uint8_t>& out, const Layout& layout, const Plan& plan) {
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

// Passes every byte on and adds it to the image checksum as it goes.
class ChecksumSink : public ByteSink {
public:
    explicit ChecksumSink(ByteSink& out) : out_(out) {}
    bool append(std::span<const std::uint8_t> bytes) override {
        for (std::uint8_t b : bytes) {
            if (low_ < 0) {
                low_ = b;
                continue;
            }
            sum_ += std::uint64_t(low_) | std::uint64_t(b) << 8;
            sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
            low_ = -1;
        }
        length_ += bytes.size();
        return out_.append(bytes);
    }
    bool patch(std::uint64_t at, std::span<const std::uint8_t> bytes) override {
        return out_.patch(at, bytes);
    }
    std::uint64_t size() const override { return out_.size(); }
    std::uint32_t checksum() const {
        std::uint64_t sum = sum_;
        if (low_ >= 0) {
            sum += std::uint64_t(low_);
            sum = (sum & 0xFFFF) + (sum >> 16);
        }
        sum = (sum & 0xFFFF) + (sum >> 16);
        return std::uint32_t(sum) + std::uint32_t(length_);
    }

private:
    ByteSink& out_;
    std::uint64_t sum_ = 0, length_ = 0;
    int low_ = -1;  // a byte waiting for its partner
};

bool appendZeros(ByteSink& out, std::uint64_t count) {
    static const std::uint8_t zeros[4096] = {};
    while (count > 0) {
        std::size_t n = std::size_t(std::min<std::uint64_t>(count, sizeof zeros));
        if (!out.append({zeros, n})) return false;
        count -= n;
    }
    return true;
}

// The external resources' data after what is held in memory, each 8-byte aligned.
bool appendExternal(ByteSink& out, const ResourceSection& section, std::string& reason) {
    std::uint64_t at = section.bytes.size();
    for (const Resource* r : section.external) {
        std::uint64_t before = out.size();
        if (!r->external(out) || out.size() - before != r->externalSize) {
            reason = "the data of resource " + describeId(r->type) + " " + describeId(r->name) +
                     " could not be read whole";
            return false;
        }
        at += r->externalSize;
        std::uint64_t aligned = alignUp(at, 8);
        if (!appendZeros(out, aligned - at)) return false;
        at = aligned;
    }
    return true;
}

}  // namespace

bool readResources(std::span<const std::uint8_t> file, std::vector<Resource>& resources,
                   std::string& reason, bool copyData) {
    resources.clear();
    Layout layout;
    return readLayout(file, layout, reason) &&
           readResourceTree(file, layout, resources, reason, copyData);
}

bool rewriteResources(std::span<const std::uint8_t> file, const std::vector<Resource>& resources,
                      std::vector<std::uint8_t>& out, std::string& reason) {
    VectorSink sink(out);
    if (rewriteResources(file, resources, sink, reason)) return true;
    out.clear();
    return false;
}

bool rewriteResources(std::span<const std::uint8_t> file, const std::vector<Resource>& resources,
                      ByteSink& out, std::string& reason) {
    Layout layout;
    Plan plan;
    if (!readLayout(file, layout, reason) || !findResourceSection(layout, plan, reason) ||
        !checkFileOrder(layout, plan, reason) || !planCut(file, layout, plan, reason) ||
        !buildResourceSection(resources, layout.sections[plan.index].virtualAddress, plan.section,
                              reason) ||
        !planSizes(layout, plan, reason) || !checkDirectories(layout, plan, reason) ||
        !checkRelocations(file, layout, plan, reason) ||
        !planDebugDirectory(file, layout, plan, reason)) {
        return false;
    }
    const Section& r = layout.sections[plan.index];
    std::vector<std::uint8_t> head(file.begin(), file.begin() + r.rawOffset);
    patchHeaders(head, layout, plan);
    ChecksumSink sink(out);
    std::uint64_t start = out.size();
    bool ok = sink.append(head) && sink.append(plan.section.bytes) &&
              appendExternal(sink, plan.section, reason) &&
              appendZeros(sink, plan.rawSize - plan.section.size);
    if (ok && plan.cut > plan.oldRawEnd) {
        ok = sink.append(
            file.subspan(std::size_t(plan.oldRawEnd), std::size_t(plan.cut - plan.oldRawEnd)));
    }
    std::uint8_t checksum[4];
    std::uint32_t value = sink.checksum();
    for (int i = 0; i < 4; ++i) checksum[i] = std::uint8_t(value >> (8 * i));
    ok = ok && out.patch(start + layout.optionalOffset + kCheckSumField, checksum);
    if (!ok && reason.empty()) reason = "the image could not be written";
    return ok;
}

void setResource(std::vector<Resource>& resources, const ResourceId& type, const ResourceId& name,
                 std::vector<std::uint8_t> data) {
    Resource replacement;
    replacement.type = type;
    replacement.name = name;
    auto first = std::find_if(resources.begin(), resources.end(), [&](const Resource& r) {
        return sameId(r.type, type) && sameId(r.name, name);
    });
    if (first != resources.end()) {
        replacement.language = first->language;
        replacement.codePage = first->codePage;
    }
    std::erase_if(resources,
                  [&](const Resource& r) { return sameId(r.type, type) && sameId(r.name, name); });
    replacement.data = std::move(data);
    resources.push_back(std::move(replacement));
}

}  // namespace pe
