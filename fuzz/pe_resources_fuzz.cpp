// The resource reader and rewriter on arbitrary bytes: nothing is read outside the input, an
// image that is rewritten reads back as exactly the resources written into it, and rewriting
// that result again changes nothing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/PeResources.h"
#include "tests/support/SameResources.h"

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
    if (!pe::readResources(out, again, why) || !test::sameResources(again, resources))
        __builtin_trap();
    std::vector<std::uint8_t> twice;
    if (!pe::rewriteResources(out, again, twice, why) || twice != out) __builtin_trap();
    return 0;
}
