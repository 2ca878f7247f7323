// pkgtool bundle OUT.bin PICTURE...: packs picture files into an image bundle, in the order
// given.
#include <cstdio>

#include "common/Text.h"
#include "package/ImageBundle.h"
#include "package/ImageBundleWriter.h"
#include "platform/FileSystem.h"
#include "platform/PictureFormat.h"
#include "tools/pkgtool/Command.h"

namespace {

bool readPicture(const std::string& path, std::vector<std::uint8_t>& bytes) {
    if (!platform::files().readFile(utf8ToUtf16(path).c_str(), bytes)) {
        std::fprintf(stderr, "bundle: cannot read %s\n", path.c_str());
        return false;
    }
    if (pictureFormatOf(bytes.data(), bytes.size()) == PictureFormat::Unknown) {
        std::fprintf(stderr, "bundle: %s is not a BMP or PNG picture\n", path.c_str());
        return false;
    }
    if (bytes.size() > UINT32_MAX) {
        std::fprintf(stderr, "bundle: %s is too large\n", path.c_str());
        return false;
    }
    return true;
}

int runBundle(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        std::fputs("bundle: give the output file and at least one picture\n", stderr);
        return 2;
    }
    std::size_t count = args.size() - 1;
    if (count > std::size_t(kPictureSlots)) {
        std::fprintf(stderr, "bundle: %zu pictures given, a bundle holds at most %d\n", count,
                     kPictureSlots);
        return 1;
    }
    std::vector<std::vector<std::uint8_t>> pictures(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!readPicture(args[i + 1], pictures[i])) return 1;
    }
    std::vector<std::uint8_t> bundle;
    std::string reason;
    if (!writeImageBundle(pictures, bundle, reason)) {
        std::fprintf(stderr, "bundle: %s\n", reason.c_str());
        return 1;
    }
    if (platform::files().writeFile(utf8ToUtf16(args[0]).c_str(), bundle.data(), bundle.size()) !=
        platform::WriteResult::Written) {
        std::fprintf(stderr, "bundle: cannot write %s\n", args[0].c_str());
        return 1;
    }
    return 0;
}

const CommandRegistration registration("bundle", "bundle OUT.bin PICTURE...  (BMP or PNG, 1 to 10)",
                                       runBundle);

}  // namespace
