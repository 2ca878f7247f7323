// pkgtool make-setup MANIFEST.xml -o SETUP.exe [--stub STUB.exe] [--pictures DIR]
//                   [--sign CERT.pem KEY.pem]
// A setup executable for another product, made from an existing one without a compiler: the
// stub's installer package is replaced by the one the manifest makes, its pictures by those of
// the folder given, and every other resource is kept. The same inputs give the same bytes.
#include <cstdio>

#include "common/Text.h"
#include "package/PeResources.h"
#include "platform/FileSystem.h"
#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/PackageBuild.h"
#include "tools/pkgtool/SelfPath.h"
#include "tools/pkgtool/SetupPictures.h"
#include "tools/pkgtool/Signing.h"
#include "tools/pkgtool/ToolText.h"

namespace {

constexpr std::uint16_t kPackageId = 199;

struct Options {
    std::string manifest, output, stub, pictures, certificate, key;
};

int usage() {
    std::fputs(
        "usage: pkgtool make-setup MANIFEST.xml -o SETUP.exe [--stub STUB.exe] [--pictures DIR] "
        "[--sign CERT.pem KEY.pem]\n",
        stderr);
    return 2;
}

int failure(const std::string& cause) {
    std::fprintf(stderr, "make-setup: %s\n", cause.c_str());
    return 1;
}

bool takeValue(const std::vector<std::string>& args, std::size_t& i, std::string& into) {
    if (i + 1 >= args.size() || !into.empty() || args[i + 1].empty()) return false;
    into = args[++i];
    return true;
}

bool parseOptions(const std::vector<std::string>& args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool ok = true;
        if (a == "-o") {
            ok = takeValue(args, i, o.output);
        } else if (a == "--stub") {
            ok = takeValue(args, i, o.stub);
        } else if (a == "--pictures") {
            ok = takeValue(args, i, o.pictures);
        } else if (a == "--sign") {
            ok = takeValue(args, i, o.certificate) && takeValue(args, i, o.key);
        } else if (o.manifest.empty() && !a.empty() && a[0] != '-') {
            o.manifest = a;
        } else {
            ok = false;
        }
        if (!ok) return false;
    }
    return !o.manifest.empty() && !o.output.empty();
}

// The stub given, or the setup.exe shipped next to pkgtool.
bool stubPath(Options& o, std::string& cause) {
    if (!o.stub.empty()) return true;
    o.stub = besideTool("setup.exe");
    if (o.stub.empty())
        cause = "cannot tell where pkgtool lies: give the stub with --stub STUB.exe";
    return !o.stub.empty();
}

bool readStub(const Options& o, std::vector<pe::Resource>& resources,
              std::vector<std::uint8_t>& stub, std::string& cause) {
    if (!platform::files().readFile(toolPath(o.stub).c_str(), stub)) {
        cause = "cannot read the stub \"" + o.stub + "\" (give one with --stub STUB.exe)";
        return false;
    }
    std::string reason;
    if (!pe::readResources(stub, resources, reason)) {
        cause = "the stub \"" + o.stub + "\" cannot be used: " + reason;
        return false;
    }
    for (const pe::Resource& r : resources) {
        if (pe::sameId(r.type, pe::ResourceId::of(u"RES_DATA")) &&
            pe::sameId(r.name, pe::ResourceId::of(kPackageId))) {
            return true;
        }
    }
    cause = "the stub \"" + o.stub + "\" carries no installer package (RES_DATA 199): not a setup";
    return false;
}

bool writeOutput(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 std::string& cause) {
    std::u16string native = toolPath(path);
    auto result = platform::files().writeFile(native.c_str(), bytes.data(), bytes.size());
    if (result == platform::WriteResult::Written) return true;
    // A cut-off executable must not pass for a good one.
    if (result == platform::WriteResult::ShortWrite) platform::files().deleteFile(native.c_str());
    cause = "cannot write \"" + path + "\"";
    return false;
}

// Written next to the output first, then signed into it; nothing is left on failure.
bool writeSigned(const Options& o, const std::vector<std::uint8_t>& bytes, std::string& cause) {
    std::string unsignedPath = o.output + ".unsigned";
    if (!writeOutput(unsignedPath, bytes, cause)) return false;
    platform::files().deleteFile(toolPath(o.output).c_str());
    bool ok = signExecutable(unsignedPath, o.output, o.certificate, o.key, cause);
    platform::files().deleteFile(toolPath(unsignedPath).c_str());
    if (!ok) platform::files().deleteFile(toolPath(o.output).c_str());
    return ok;
}

int makeSetup(const std::vector<std::string>& args) {
    Options o;
    if (!parseOptions(args, o)) return usage();
    std::string cause;
    if (!o.certificate.empty() && !signingAvailable(cause)) return failure(cause);
    if (!stubPath(o, cause)) return failure(cause);

    std::vector<std::uint8_t> stub;
    std::vector<pe::Resource> resources;
    if (!readStub(o, resources, stub, cause)) return failure(cause);
    std::vector<std::uint8_t> package;
    if (int status = buildPackageBytes(o.manifest, package)) return status;
    std::vector<SetupPicture> pictures;
    if (!o.pictures.empty() && !readSetupPictures(toolPath(o.pictures), pictures, cause)) {
        return failure(cause);
    }

    pe::setResource(resources, pe::ResourceId::of(u"RES_DATA"), pe::ResourceId::of(kPackageId),
                    std::move(package));
    for (SetupPicture& p : pictures) pe::setResource(resources, p.type, p.name, std::move(p.bytes));
    std::vector<std::uint8_t> setup;
    std::string reason;
    if (!pe::rewriteResources(stub, resources, setup, reason)) {
        return failure("the stub \"" + o.stub + "\" cannot be rewritten: " + reason);
    }
    bool ok =
        o.certificate.empty() ? writeOutput(o.output, setup, cause) : writeSigned(o, setup, cause);
    return ok ? 0 : failure(cause);
}

const CommandRegistration registration(
    "make-setup",
    "make-setup MANIFEST.xml -o SETUP.exe [--stub STUB.exe] [--pictures DIR] "
    "[--sign CERT.pem KEY.pem]",
    makeSetup);

}  // namespace
