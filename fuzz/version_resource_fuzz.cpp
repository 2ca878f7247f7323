// Any bytes as a stub's version resource, and the one make-setup writes from it and a
// manifest: the stub's texts are refused with a reason when they are longer than a manifest's
// may be, and what is written either is refused with a reason or has its root length true (the
// whole resource, under 64 KiB) and reads back as the very texts it was given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "package/PeImage.h"
#include "package/PeResources.h"
#include "package/VersionResource.h"
#include "tools/pkgtool/SetupLook.h"

namespace {

void checkWritten(const std::vector<std::uint8_t>& out, const pe::VersionInfo& info) {
    std::string why;
    pe::VersionInfo read;
    if (out.size() > 0xFFFF || pe::getU16(out, 0) != out.size() ||
        !pe::readVersionResource(out, read, why) || read.strings != info.strings) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exact-size copy so that any read past the end is caught.
    std::vector<std::uint8_t> bytes(data, data + size);
    for (std::size_t copyright : {std::size_t(0), std::size_t(259)}) {
        Manifest manifest;
        manifest.rootName = u"Product";
        copyText(manifest.identity.version, u"1.2.3");
        manifest.identityLines.version = 1;
        manifest.look.copyright = std::u16string(copyright, u'c');
        manifest.look.copyrightLine = copyright ? 2 : 0;
        std::vector<pe::Resource> resources;
        pe::setResource(resources, pe::ResourceId::of(pe::kVersionType),
                        pe::ResourceId::of(pe::kVersionName), bytes);
        ManifestError error;
        if (!applySetupLook(manifest, resources, error)) {
            if (error.cause.empty()) __builtin_trap();
            continue;
        }
        auto written = std::find_if(resources.begin(), resources.end(), [](const pe::Resource& r) {
            return pe::sameId(r.type, pe::ResourceId::of(pe::kVersionType));
        });
        if (written == resources.end()) __builtin_trap();
        pe::VersionInfo stub;
        std::string why;
        if (!pe::readVersionResource(bytes, stub, why)) stub = {};
        checkWritten(written->data, setupVersionOf(manifest, stub));
    }
    // The writer alone, given every text the stub holds after the manifest's, however many.
    pe::VersionInfo stub;
    std::string why;
    if (!pe::readVersionResource(bytes, stub, why)) return 0;
    pe::VersionInfo info = stub;
    for (int i = 0; i < 3; ++i)
        info.strings.insert(info.strings.end(), stub.strings.begin(), stub.strings.end());
    std::vector<std::uint8_t> out;
    if (!pe::buildVersionResource(info, out, why)) {
        if (why.empty() || !out.empty()) __builtin_trap();
        return 0;
    }
    checkWritten(out, info);
    return 0;
}
