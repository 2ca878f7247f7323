// pkgtool make-setup MANIFEST.xml -o SETUP.exe [--stub STUB.exe] [--pictures DIR]
//                   [--sign CERT.pem KEY.pem | --sign-pfx FILE.pfx [--password-file FILE]]
//                   [--timestamp URL] [--test-build] [--store]
// A setup executable for another product, made from an existing one without a compiler: the
// stub's installer package is replaced by the one the manifest makes, its pictures by those of
// the folder given, its title, icon and version by those the manifest gives, and every other
// resource is kept. The same inputs give the same bytes.
#include <cstdio>

#include "common/Text.h"
#include "package/PeResources.h"
#include "platform/FileSystem.h"
#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/MappedFile.h"
#include "tools/pkgtool/OutputFile.h"
#include "tools/pkgtool/PackageBuild.h"
#include "tools/pkgtool/SelfPath.h"
#include "tools/pkgtool/SetupLook.h"
#include "tools/pkgtool/SetupPictures.h"
#include "tools/pkgtool/Signing.h"
#include "tools/pkgtool/ToolText.h"

namespace {

constexpr std::uint16_t kPackageId = 199;

struct Options {
    std::string manifest, output, stub, pictures;
    SigningOptions signing;
    bool testBuild = false;  // a test-build stub is meant
    bool store = false;      // the files as they are, not compressed
};

int usage() {
    std::fputs(
        "usage: pkgtool make-setup MANIFEST.xml -o SETUP.exe [--stub STUB.exe] [--pictures DIR] "
        "[--sign CERT.pem KEY.pem | --sign-pfx FILE.pfx [--password-file FILE]] [--timestamp URL] "
        "[--test-build] [--store]\n",
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
            ok = takeValue(args, i, o.signing.certificate) && takeValue(args, i, o.signing.key);
        } else if (a == "--sign-pfx") {
            ok = takeValue(args, i, o.signing.pfx);
        } else if (a == "--password-file") {
            ok = takeValue(args, i, o.signing.passwordFile);
        } else if (a == "--timestamp") {
            ok = takeValue(args, i, o.signing.timestampUrl);
        } else if (a == "--test-build" && !o.testBuild) {
            o.testBuild = true;
        } else if (a == "--store" && !o.store) {
            o.store = true;
        } else if (o.manifest.empty() && !a.empty() && a[0] != '-') {
            o.manifest = a;
        } else {
            ok = false;
        }
        if (!ok) return false;
    }
    // One way of signing; a password or time stamp only with something to sign with.
    const SigningOptions& s = o.signing;
    if (!s.certificate.empty() && !s.pfx.empty()) return false;
    if (!s.passwordFile.empty() && s.pfx.empty()) return false;
    if (!s.timestampUrl.empty() && !s.wanted()) return false;
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

constexpr std::uint16_t kRcData = 10;

bool hasResource(const std::vector<pe::Resource>& resources, const pe::ResourceId& type,
                 const pe::ResourceId& name) {
    for (const pe::Resource& r : resources) {
        if (pe::sameId(r.type, type) && pe::sameId(r.name, name)) return true;
    }
    return false;
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
    if (!hasResource(resources, pe::ResourceId::of(u"RES_DATA"), pe::ResourceId::of(kPackageId))) {
        cause =
            "the stub \"" + o.stub + "\" carries no installer package (RES_DATA 199): not a setup";
        return false;
    }
    // Shipped by mistake, the test build would wait for ever for a device it cannot see.
    if (!o.testBuild &&
        hasResource(resources, pe::ResourceId::of(kRcData), pe::ResourceId::of(u"TESTBUILD"))) {
        cause = "the stub \"" + o.stub +
                "\" is a test build (its USB bus is simulated: it never sees a real device); "
                "give the shipped setup.exe, or --test-build if a test build is meant";
        return false;
    }
    return true;
}

// The stub with its resources replaced, written to `path` as it is made: the package goes
// from its mapped file into the output a piece at a time.
bool writeSetup(const Options& o, const std::vector<std::uint8_t>& stub,
                const std::vector<pe::Resource>& resources, const std::string& path,
                std::string& cause) {
    OutputFile out;
    if (!out.open(toolPath(path))) {
        cause = "cannot write \"" + path + "\"";
        return false;
    }
    std::string reason;
    if (!pe::rewriteResources(stub, resources, out, reason)) {
        cause = "the stub \"" + o.stub + "\" cannot be rewritten: " + reason;
        return false;
    }
    // A cut-off executable must not pass for a good one: it only takes the name whole.
    if (!out.commit()) {
        cause = "cannot write \"" + path + "\"";
        return false;
    }
    return true;
}

// Written next to the output first, then signed into it; nothing is left on failure.
bool writeSigned(const Options& o, const std::vector<std::uint8_t>& stub,
                 const std::vector<pe::Resource>& resources, std::string& cause) {
    std::string unsignedPath = o.output + ".unsigned";
    if (!writeSetup(o, stub, resources, unsignedPath, cause)) return false;
    platform::files().deleteFile(toolPath(o.output).c_str());
    bool ok = signExecutable(unsignedPath, o.output, o.signing, cause);
    platform::files().deleteFile(toolPath(unsignedPath).c_str());
    if (!ok) platform::files().deleteFile(toolPath(o.output).c_str());
    return ok;
}

int makeSetup(const std::vector<std::string>& args) {
    Options o;
    if (!parseOptions(args, o)) return usage();
    std::string cause;
    if (o.signing.wanted() && !signingAvailable(cause)) return failure(cause);
    if (!stubPath(o, cause)) return failure(cause);

    std::vector<std::uint8_t> stub;
    std::vector<pe::Resource> resources;
    if (!readStub(o, resources, stub, cause)) return failure(cause);
    // The package is written beside the output (never held in memory) and carried from there.
    OutputFile package;
    if (!package.open(toolPath(o.output + ".package"))) {
        return failure("cannot write \"" + o.output + ".package\"");
    }
    Manifest manifest;
    if (int status = buildPackageInto(o.manifest, package, &manifest, o.store)) return status;
    ManifestError error;
    if (!applySetupLook(manifest, resources, error)) {
        return refuseManifest(o.manifest, error.line, error.cause);
    }
    MappedFile packageBytes;
    if (!packageBytes.map(package.partialPath())) return failure("cannot read back the package");
    std::vector<SetupPicture> pictures;
    if (!o.pictures.empty() && !readSetupPictures(toolPath(o.pictures), pictures, cause)) {
        return failure(cause);
    }

    pe::setResource(resources, pe::ResourceId::of(u"RES_DATA"), pe::ResourceId::of(kPackageId), {});
    pe::Resource& carried = resources.back();
    carried.externalSize = packageBytes.size();
    carried.external = [&packageBytes](ByteSink& sink) {
        return packageBytes.appendTo(sink, packageBytes.data(), packageBytes.size());
    };
    for (SetupPicture& p : pictures) pe::setResource(resources, p.type, p.name, std::move(p.bytes));
    bool ok = !o.signing.wanted() ? writeSetup(o, stub, resources, o.output, cause)
                                  : writeSigned(o, stub, resources, cause);
    return ok ? 0 : failure(cause);
}

const CommandRegistration registration(
    "make-setup",
    "make-setup MANIFEST.xml -o SETUP.exe [--stub STUB.exe] [--pictures DIR] "
    "[--sign CERT.pem KEY.pem | --sign-pfx FILE.pfx [--password-file FILE]] [--timestamp URL] "
    "[--test-build] [--store]",
    makeSetup);

}  // namespace
