#include "package/ResourceTree.h"

#include <algorithm>
#include <set>

#include "common/Text.h"

namespace pe {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kTableHeader = 16;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::size_t kDataAlignment = 8;

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

struct NameGroup {
    const ResourceId* name;
    std::vector<const Resource*> languages;
};

struct TypeGroup {
    const ResourceId* type;
    std::vector<NameGroup> names;
};

bool resourceLess(const Resource* a, const Resource* b) {
    if (!sameId(a->type, b->type)) return idLess(a->type, b->type);
    if (!sameId(a->name, b->name)) return idLess(a->name, b->name);
    return a->language < b->language;
}

bool groupResources(const std::vector<Resource>& resources, std::vector<TypeGroup>& types,
                    std::string& reason) {
    std::vector<const Resource*> sorted;
    for (const Resource& r : resources) sorted.push_back(&r);
    std::stable_sort(sorted.begin(), sorted.end(), resourceLess);
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const Resource* r = sorted[i];
        if (types.empty() || !sameId(*types.back().type, r->type)) types.push_back({&r->type, {}});
        auto& names = types.back().names;
        if (names.empty() || !sameId(*names.back().name, r->name)) {
            names.push_back({&r->name, {}});
        } else if (names.back().languages.back()->language == r->language) {
            reason = "two resources " + describeId(r->type) + " " + describeId(r->name) +
                     " in language " + std::to_string(r->language);
            return false;
        }
        names.back().languages.push_back(r);
    }
    return true;
}

// Counts and name lengths are 16-bit fields.
bool checkLimits(const std::vector<TypeGroup>& types, std::string& reason) {
    auto tooLong = [](const ResourceId& id) { return id.named && id.name.size() > 0xFFFF; };
    bool ok = types.size() <= 0xFFFF;
    for (const TypeGroup& t : types) {
        ok = ok && t.names.size() <= 0xFFFF && !tooLong(*t.type);
        for (const NameGroup& n : t.names)
            ok = ok && n.languages.size() <= 0xFFFF && !tooLong(*n.name);
    }
    if (!ok) reason = "too many resources in one table, or a resource name too long";
    return ok;
}

// Where each part of the section goes.
struct SectionPlan {
    std::vector<std::size_t> typeTables;  // one per type
    std::vector<std::size_t> nameTables;  // one per name, types in order
    std::size_t dataEntries = 0;
    std::size_t strings = 0;
    std::size_t data = 0;
    std::size_t size = 0;          // of what is held in memory
    std::uint64_t externalAt = 0;  // where the external data starts
    std::uint64_t totalSize = 0;   // with the external data
};

std::size_t stringSize(const ResourceId& id) {
    return id.named ? 2 + 2 * id.name.size() : 0;
}

SectionPlan planSection(const std::vector<TypeGroup>& types) {
    SectionPlan plan;
    std::size_t at = kTableHeader + kEntrySize * types.size();
    for (const TypeGroup& t : types) {
        plan.typeTables.push_back(at);
        at += kTableHeader + kEntrySize * t.names.size();
    }
    std::size_t resourceCount = 0;
    for (const TypeGroup& t : types) {
        for (const NameGroup& n : t.names) {
            plan.nameTables.push_back(at);
            at += kTableHeader + kEntrySize * n.languages.size();
            resourceCount += n.languages.size();
        }
    }
    plan.dataEntries = at;
    at += kDataEntrySize * resourceCount;
    plan.strings = at;
    for (const TypeGroup& t : types) {
        at += stringSize(*t.type);
        for (const NameGroup& n : t.names) at += stringSize(*n.name);
    }
    plan.data = std::size_t(alignUp(at, kDataAlignment));
    at = plan.data;
    std::uint64_t external = 0;
    for (const TypeGroup& t : types) {
        for (const NameGroup& n : t.names) {
            for (const Resource* r : n.languages) {
                if (r->external) {
                    external = alignUp(external + r->externalSize, kDataAlignment);
                } else {
                    at = std::size_t(alignUp(at + r->data.size(), kDataAlignment));
                }
            }
        }
    }
    plan.size = at;
    plan.externalAt = at;
    plan.totalSize = at + external;
    return plan;
}

class SectionWriter {
public:
    SectionWriter(std::vector<std::uint8_t>& out, const SectionPlan& plan, std::uint32_t rva)
        : out_(out),
          rva_(rva),
          strings_(plan.strings),
          entries_(plan.dataEntries),
          data_(plan.data),
          external_(plan.externalAt) {}

    void table(std::size_t at, std::size_t named, std::size_t numbered) {
        putU16(out_, at + 12, std::uint16_t(named));
        putU16(out_, at + 14, std::uint16_t(numbered));
    }

    void entry(std::size_t at, const ResourceId& id, std::uint32_t target) {
        putU32(out_, at, id.named ? kHighBit | std::uint32_t(string(id)) : id.number);
        putU32(out_, at + 4, target);
    }

    // A data entry and the resource's bytes; the entry's offset.
    std::uint32_t dataEntry(const Resource& r) {
        std::size_t at = entries_;
        entries_ += kDataEntrySize;
        if (r.external) {
            putU32(out_, at, rva_ + std::uint32_t(external_));
            putU32(out_, at + 4, std::uint32_t(r.externalSize));
            putU32(out_, at + 8, r.codePage);
            external_ = alignUp(external_ + r.externalSize, kDataAlignment);
            return std::uint32_t(at);
        }
        putU32(out_, at, rva_ + std::uint32_t(data_));
        putU32(out_, at + 4, std::uint32_t(r.data.size()));
        putU32(out_, at + 8, r.codePage);
        std::copy(r.data.begin(), r.data.end(), out_.begin() + std::ptrdiff_t(data_));
        data_ = std::size_t(alignUp(data_ + r.data.size(), kDataAlignment));
        return std::uint32_t(at);
    }

private:
    std::size_t string(const ResourceId& id) {
        std::size_t at = strings_;
        putU16(out_, at, std::uint16_t(id.name.size()));
        for (std::size_t i = 0; i < id.name.size(); ++i) putU16(out_, at + 2 + 2 * i, id.name[i]);
        strings_ += stringSize(id);
        return at;
    }

    std::vector<std::uint8_t>& out_;
    std::uint32_t rva_;
    std::size_t strings_, entries_, data_;
    std::uint64_t external_;
};

std::size_t namedCount(const std::vector<const ResourceId*>& ids) {
    return std::size_t(std::count_if(ids.begin(), ids.end(), [](auto* id) { return id->named; }));
}

void writeSection(const std::vector<TypeGroup>& types, const SectionPlan& plan, std::uint32_t rva,
                  std::vector<std::uint8_t>& out) {
    SectionWriter w(out, plan, rva);
    std::vector<const ResourceId*> typeIds;
    for (const TypeGroup& t : types) typeIds.push_back(t.type);
    w.table(0, namedCount(typeIds), typeIds.size() - namedCount(typeIds));
    std::size_t nameIndex = 0;
    for (std::size_t ti = 0; ti < types.size(); ++ti) {
        const TypeGroup& t = types[ti];
        w.entry(kTableHeader + kEntrySize * ti, *t.type,
                kHighBit | std::uint32_t(plan.typeTables[ti]));
        std::vector<const ResourceId*> nameIds;
        for (const NameGroup& n : t.names) nameIds.push_back(n.name);
        w.table(plan.typeTables[ti], namedCount(nameIds), nameIds.size() - namedCount(nameIds));
        for (std::size_t ni = 0; ni < t.names.size(); ++ni, ++nameIndex) {
            const NameGroup& n = t.names[ni];
            std::size_t table = plan.nameTables[nameIndex];
            w.entry(plan.typeTables[ti] + kTableHeader + kEntrySize * ni, *n.name,
                    kHighBit | std::uint32_t(table));
            w.table(table, 0, n.languages.size());
            for (std::size_t li = 0; li < n.languages.size(); ++li) {
                const Resource& r = *n.languages[li];
                w.entry(table + kTableHeader + kEntrySize * li, ResourceId::of(r.language),
                        w.dataEntry(r));
            }
        }
    }
}

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

bool buildResourceSection(const std::vector<Resource>& resources, std::uint32_t sectionRva,
                          ResourceSection& section, std::string& reason) {
    section = ResourceSection{};
    std::vector<TypeGroup> types;
    if (!groupResources(resources, types, reason) || !checkLimits(types, reason)) return false;
    SectionPlan plan = planSection(types);
    if (std::uint64_t(sectionRva) + plan.totalSize > 0x7FFFFFFFu) {
        reason = "the resources would not fit a 32-bit image";
        return false;
    }
    section.bytes.assign(plan.size, 0);
    writeSection(types, plan, sectionRva, section.bytes);
    for (const TypeGroup& t : types) {
        for (const NameGroup& n : t.names) {
            for (const Resource* r : n.languages) {
                if (r->external) section.external.push_back(r);
            }
        }
    }
    section.size = plan.totalSize;
    return true;
}

bool buildResourceSection(const std::vector<Resource>& resources, std::uint32_t sectionRva,
                          std::vector<std::uint8_t>& section, std::string& reason) {
    ResourceSection built;
    section.clear();
    if (!buildResourceSection(resources, sectionRva, built, reason)) return false;
    if (!built.external.empty()) {
        reason = "resources held elsewhere cannot be put in memory";
        return false;
    }
    section = std::move(built.bytes);
    return true;
}

}  // namespace pe
