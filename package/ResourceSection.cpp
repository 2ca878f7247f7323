#include <algorithm>

#include "common/Text.h"
#include "package/ResourceTree.h"
#include "package/ResourceTreeFormat.h"

namespace pe {

namespace {

constexpr std::size_t kDataAlignment = 8;

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
