// The resource reader and rewriter on arbitrary bytes (and the readers of the version, icon
// and string resources on what it finds): nothing is read outside the input, an
// image that is rewritten reads back as exactly the resources written into it, and rewriting
// that result again changes nothing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/IconResource.h"
#include "package/PeResources.h"
#include "package/StringResource.h"
#include "package/VersionResource.h"
#include "tests/support/SameResources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exact-size copy so that any read past the end is caught.
    std::vector<std::uint8_t> file(data, data + size);
    std::vector<pe::Resource> resources;
    std::string why;
    if (!pe::readResources(file, resources, why)) return 0;
    // What `pkgtool info` reads of any setup: the version, icon groups and the title string.
    for (const pe::Resource& r : resources) {
        pe::VersionInfo version;
        std::vector<pe::IconImage> entries;
        pe::readVersionResource(r.data, version, why);
        pe::readIconGroup(r.data, entries, why);
    }
    std::u16string title;
    pe::readString(resources, 105, title);
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
