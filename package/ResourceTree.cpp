
#include "package/ResourceTree.h"

#include <algorithm>
#include <set>

#include "common/Text.h"
#include "package/ResourceTreeFormat.h"

namespace pe {

namespace {

bool fits(std::size_t areaSize, std::uint64_t offset, std::uint64_t size) {
    return offset <= areaSize && size <= areaSize - offset;
}

char16_t upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

int compareNames(const std::u16string& a, const std::u16string& b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (upper(a[i]) != upper(b[i])) return upper(a[i]) < upper(b[i]) ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

class TreeReader {
public:
    TreeReader(std::span<const std::uint8_t> file, const Layout& layout,
               std::span<const std::uint8_t> area, std::vector<Resource>& out, std::string& reason,
               bool copyData)
        : file_(file),
          layout_(layout),
          area_(area),
          out_(out),
          reason_(reason),
          copyData_(copyData) {}

    bool readTable(std::uint32_t at, int level, Resource& path) {
        if (!visited_.insert(at).second) return fail("a resource table is reached twice");
        if (!fits(area_.size(), at, kTableHeader))
            return fail("a resource table lies outside the resource section");
        std::size_t count = std::size_t(getU16(area_, at + 12)) + getU16(area_, at + 14);
        if (!fits(area_.size(), at + kTableHeader, count * kEntrySize)) {
            return fail("a resource table's entries run outside the resource section");
        }
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t entry = at + kTableHeader + i * kEntrySize;
            std::uint32_t nameField = getU32(area_, entry);
            std::uint32_t target = getU32(area_, entry + 4);
            if (!readLevelName(nameField, level, path)) return false;
            bool isTable = (target & kHighBit) != 0;
            if (isTable != (level < 2)) return fail("the resource tree is not three levels deep");
            bool ok =
                isTable ? readTable(target & ~kHighBit, level + 1, path) : readData(target, path);
            if (!ok) return false;
        }
        return true;
    }

private:
    bool fail(const char* why) {
        reason_ = why;
        return false;
    }

    bool readId(std::uint32_t field, ResourceId& id) {
        if (!(field & kHighBit)) {
            if (field > 0xFFFF) return fail("a resource number is above 65535");
            id = ResourceId::of(std::uint16_t(field));
            return true;
        }
        std::uint32_t at = field & ~kHighBit;
        if (!fits(area_.size(), at, 2))
            return fail("a resource name lies outside the resource section");
        std::size_t length = getU16(area_, at);
        if (!fits(area_.size(), at + 2, 2 * length))
            return fail("a resource name runs outside the resource section");
        std::u16string name;
        for (std::size_t i = 0; i < length; ++i)
            name.push_back(char16_t(getU16(area_, at + 2 + 2 * i)));
        id = ResourceId::of(std::move(name));
        return true;
    }

    bool readLevelName(std::uint32_t field, int level, Resource& path) {
        if (level == 0) return readId(field, path.type);
        if (level == 1) return readId(field, path.name);
        ResourceId language;
        if (!readId(field, language)) return false;
        if (language.named) return fail("a resource language is a name");
        path.language = language.number;
        return true;
    }

    bool readData(std::uint32_t at, const Resource& path) {
        if (!fits(area_.size(), at, kDataEntrySize))
            return fail("a resource entry lies outside the resource section");
        std::uint32_t rva = getU32(area_, at);
        std::uint32_t size = getU32(area_, at + 4);
        // Every resource copies its type's and its own name and its data, and takes a record:
        // all of it counts, or a few long names shared by many entries would ask for gigabytes.
        copied_ += (copyData_ ? std::uint64_t(size) : 0) + sizeof(Resource) +
                   2 * (path.type.name.size() + path.name.name.size());
        if (copied_ > file_.size()) return fail("the resources add up to more than the file");
        std::size_t offset = 0;
        if (size != 0 && !fileOffsetOf(layout_, file_.size(), rva, size, offset)) {
            return fail("a resource's data lies outside the file's sections");
        }
        Resource r;
        r.type = path.type;
        r.name = path.name;
        r.language = path.language;
        r.codePage = getU32(area_, at + 8);
        r.inFile = file_.subspan(size != 0 ? offset : 0, size);
        if (copyData_) r.data.assign(r.inFile.begin(), r.inFile.end());
        out_.push_back(std::move(r));
        return true;
    }

    std::span<const std::uint8_t> file_;
    const Layout& layout_;
    std::span<const std::uint8_t> area_;
    std::vector<Resource>& out_;
    std::string& reason_;
    std::set<std::uint32_t> visited_;
    std::uint64_t copied_ = 0;
    bool copyData_;
};

}  // namespace

bool sameId(const ResourceId& a, const ResourceId& b) {
    if (a.named != b.named) return false;
    return a.named ? compareNames(a.name, b.name) == 0 : a.number == b.number;
}

bool idLess(const ResourceId& a, const ResourceId& b) {
    if (a.named != b.named) return a.named;
    return a.named ? compareNames(a.name, b.name) < 0 : a.number < b.number;
}

std::string describeId(const ResourceId& id) {
    return id.named ? utf16ToUtf8(id.name) : std::to_string(id.number);
}

bool readResourceTree(std::span<const std::uint8_t> file, const Layout& layout,
                      std::vector<Resource>& resources, std::string& reason, bool copyData) {
    resources.clear();
    if (layout.directories.size() <= kResourceDirectory) return true;
    std::uint32_t rva = layout.directories[kResourceDirectory].address;
    if (rva == 0) return true;
    const Section* s = sectionAt(layout, rva);
    if (!s || rva - s->virtualAddress >= s->rawSize) {
        reason = "the resource directory lies in no section's data";
        return false;
    }
    std::uint32_t inSection = rva - s->virtualAddress;
    auto area = file.subspan(s->rawOffset + inSection, s->rawSize - inSection);
    TreeReader reader(file, layout, area, resources, reason, copyData);
    Resource path;
    if (reader.readTable(0, 0, path)) return true;
    resources.clear();
    return false;
}
}  // namespace pe
