// Any bytes as the manifest of `pkgtool build`: the reader stays inside them, refuses with a
// cause, and what it accepts is well-formed (one line and element name per record, licence
// languages 0 to 4). A package the writer then makes from the records alone must load.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/Package.h"
#include "package/PackageWriter.h"
#include "tools/pkgtool/Manifest.h"

namespace {

bool wellFormed(const Manifest& manifest) {
    if (manifest.rootLine <= 0 || manifest.recordLines.size() != manifest.records.size() ||
        manifest.recordElements.size() != manifest.records.size()) {
        return false;
    }
    for (std::size_t i = 0; i < manifest.records.size(); ++i) {
        if (manifest.recordLines[i] < manifest.rootLine || manifest.recordElements[i].empty()) {
            return false;
        }
        const ScriptRecord& r = manifest.records[i];
        if (r.command == ScriptCommand::Licence && r.language > 4) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exact-size copy so that any read past the end is caught.
    std::vector<std::uint8_t> bytes(data, data + size);
    Manifest manifest;
    ManifestError error;
    if (!parseManifest(bytes, u"C:\\work\\manifest.xml", manifest, error)) {
        if (error.cause.empty() || error.line < 0) __builtin_trap();
        return 0;
    }
    if (!wellFormed(manifest)) __builtin_trap();

    PackageInput input;
    input.rootName = manifest.rootName;
    input.records = manifest.records;
    std::vector<std::uint8_t> package;
    PackageFault fault;
    if (!writePackage(input, package, fault)) {
        if (fault.reason.empty() || (fault.record && *fault.record >= input.records.size())) {
            __builtin_trap();
        }
        return 0;
    }
    auto* config = new InstallConfig;
    bool loaded = loadPackage(package.data(), package.size(), *config);
    releaseInstallConfig(config);
    if (!loaded) __builtin_trap();
    return 0;
}
