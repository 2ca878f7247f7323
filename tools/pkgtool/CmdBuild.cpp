// pkgtool build MANIFEST.xml -o PACKAGE.bin: a package from a manifest and its payload folder.
// Every refusal names the manifest line and the cause, and leaves the output untouched.
#include <cstdio>

#include "common/Text.h"
#include "package/Package.h"
#include "platform/FileSystem.h"
#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/LicenceFiles.h"
#include "tools/pkgtool/Manifest.h"
#include "tools/pkgtool/MappedFile.h"
#include "tools/pkgtool/PackageBuild.h"
#include "tools/pkgtool/Payload.h"
#include "tools/pkgtool/SetupLook.h"
#include "tools/pkgtool/ToolText.h"
#include "tools/pkgtool/UninstallerVersion.h"

namespace {

std::vector<std::u16string> pathsOf(const ScriptRecord& record) {
    std::vector<std::u16string> paths;
    if (record.command == ScriptCommand::DriverScripts) {
        for (const auto& path : record.driverScripts) {
            if (path) paths.push_back(*path);
        }
    } else if (record.command != ScriptCommand::Company &&
               record.command != ScriptCommand::Product) {
        paths.push_back(record.path);
    }
    return paths;
}

// Resolves every record path the way the installer will, against the package just written: a
// path that names nothing would make its record silently do nothing at install time.
bool checkReferences(const std::u16string& written, const Manifest& manifest, int& line,
                     std::string& cause) {
    MappedFile bytes;
    if (!bytes.map(written)) {
        line = 0;
        cause = "cannot read back the written package";
        return false;
    }
    InstallConfig* config = new InstallConfig;
    bool ok = loadPackage(bytes.data(), bytes.size(), *config);
    if (!ok) {
        line = 0;
        cause = std::string("the written package does not load: ") + lastPackageRejection;
    }
    for (std::size_t i = 0; ok && i < manifest.records.size(); ++i) {
        for (const std::u16string& path : pathsOf(manifest.records[i])) {
            if (findPackageFile(*config->fileTree, path)) continue;
            line = manifest.recordLines[i];
            cause = manifest.recordElements[i] + ": path \"" + printable(path) +
                    "\" is not in the payload";
            ok = false;
            break;
        }
    }
    releaseInstallConfig(config);
    return ok;
}

bool parseArguments(const std::vector<std::string>& args, std::string& manifest,
                    std::string& output, bool& store) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && output.empty()) {
            output = args[++i];
        } else if (args[i] == "--store" && !store) {
            store = true;
        } else if (manifest.empty() && !args[i].empty() && args[i] != "-o") {
            manifest = args[i];
        } else {
            return false;
        }
    }
    return !manifest.empty() && !output.empty();
}

int build(const std::vector<std::string>& args) {
    std::string manifestArg, outputArg;
    bool store = false;
    if (!parseArguments(args, manifestArg, outputArg, store)) {
        std::fputs("usage: pkgtool build MANIFEST.xml -o PACKAGE.bin [--store]\n", stderr);
        return 2;
    }
    OutputFile out;
    if (!out.open(toolPath(outputArg))) return toolError("cannot write \"" + outputArg + "\"");
    if (int status = buildPackageInto(manifestArg, out, nullptr, store)) return status;
    // A partial package must not pass for a good one: it only takes the output's name whole.
    if (!out.commit()) return toolError("cannot write \"" + outputArg + "\"");
    return 0;
}

const CommandRegistration registration("build", "build MANIFEST.xml -o PACKAGE.bin [--store]",
                                       build);

}  // namespace

int refuseManifest(const std::string& manifestArg, int line, const std::string& cause) {
    if (line > 0) {
        std::fprintf(stderr, "%s:%d: %s\n", manifestArg.c_str(), line, cause.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", manifestArg.c_str(), cause.c_str());
    }
    return 1;
}

int buildPackageInto(const std::string& manifestArg, OutputFile& out, Manifest* read, bool store) {
    Manifest manifest;
    ManifestError error;
    if (!readManifest(toolPath(manifestArg), manifest, error)) {
        return refuseManifest(manifestArg, error.line, error.cause);
    }
    std::string cause;
    // Checked by every build, so that a package's manifest never names an icon make-setup
    // would refuse.
    std::vector<pe::IconImage> icon;
    if (manifest.look.iconLine && !readSetupIcon(manifest.look, icon, cause)) {
        return refuseManifest(manifestArg, manifest.look.iconLine, cause);
    }
    Payload payload;
    if (!readPayload(manifest.payloadFolder, payload, cause)) {
        return refuseManifest(manifestArg, manifest.rootLine, cause);
    }
    int line = 0;
    if (!convertLicences(manifest, payload, line, cause))
        return refuseManifest(manifestArg, line, cause);
    if (!stampUninstaller(manifest, payload, line, cause)) {
        return refuseManifest(manifestArg, line, cause);
    }
    PackageInput input = packageInputOf(manifest.rootName, payload, manifest.records);
    input.compress = !store;
    PackageFault fault;
    if (!writePackage(input, out, fault)) {
        if (!fault.record) return refuseManifest(manifestArg, manifest.rootLine, fault.reason);
        return refuseManifest(manifestArg, manifest.recordLines[*fault.record],
                              manifest.recordElements[*fault.record] + ": " + fault.reason);
    }
    // The product's identity travels right after the package (package/ProductIdentity.h).
    if (!completeIdentity(manifest, error))
        return refuseManifest(manifestArg, error.line, error.cause);
    std::vector<std::uint8_t> identity = identityBlockOf(manifest.identity);
    if (out.size() + identity.size() > kMaxPackageSize) {
        return refuseManifest(
            manifestArg, manifest.rootLine,
            std::string("the package and its identity would pass ") + kMaxPackageReason);
    }
    if (!out.append(identity)) return toolError("cannot write the package's identity");
    if (!checkReferences(out.partialPath(), manifest, line, cause)) {
        return refuseManifest(manifestArg, line, cause);
    }
    if (read) *read = std::move(manifest);
    return 0;
}
