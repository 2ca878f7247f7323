// The resource reader and rewriter on arbitrary bytes: nothing is read outside the input, an
// image that is rewritten reads back as exactly the resources written into it, and rewriting
// that result again changes nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/PeResources.h"

namespace {

bool keyLess(const pe::Resource& a, const pe::Resource& b) {
    if (!pe::sameId(a.type, b.type)) return pe::idLess(a.type, b.type);
    if (!pe::sameId(a.name, b.name)) return pe::idLess(a.name, b.name);
    return a.language < b.language;
}

bool same(std::vector<pe::Resource> a, std::vector<pe::Resource> b) {
    std::sort(a.begin(), a.end(), keyLess);
    std::sort(b.begin(), b.end(), keyLess);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!pe::sameId(a[i].type, b[i].type) || !pe::sameId(a[i].name, b[i].name) ||
            a[i].language != b[i].language || a[i].codePage != b[i].codePage ||
            a[i].data != b[i].data) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exact-size copy so that any read past the end is caught.
    std::vector<std::uint8_t> file(data, data + size);
    std::vector<pe::Resource> resources;
    std::string why;
    if (!pe::readResources(file, resources, why)) return 0;
    pe::setResource(resources, pe::ResourceId::of(u"RES_DATA"), pe::ResourceId::of(199),
                    std::vector<std::uint8_t>(size % 5000, 0xA5));
    std::vector<std::uint8_t> out;
    if (!pe::rewriteResources(file, resources, out, why)) return 0;
    std::vector<pe::Resource> again;
    if (!pe::readResources(out, again, why) || !same(again, resources)) __builtin_trap();
    std::vector<std::uint8_t> twice;
    if (!pe::rewriteResources(out, again, twice, why) || twice != out) __builtin_trap();
    return 0;
}
