// pkgtool bundle-list BUNDLE.bin: one line per picture the installer would read from the
// bundle (index, byte size and, where a decoder is present, width x height).
#include <cstdio>

#include "common/Text.h"
#include "package/ImageBundle.h"
#include "platform/FileSystem.h"
#include "tools/pkgtool/Command.h"

namespace {

void printPicture(std::size_t index, const std::uint8_t* bytes, std::size_t size) {
    std::printf("%zu\t%zu", index, size);
    if (platform::os().pictures) {
        auto picture = platform::pictures().decode(bytes, size);
        unsigned w = 0, h = 0;
        if (picture && picture->dimensions(w, h)) {
            std::printf("\t%ux%u", w, h);
        } else {
            std::printf("\tundecodable");
        }
    }
    std::printf("\n");
}

int runBundleList(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("bundle-list: give one bundle file\n", stderr);
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    if (!platform::files().readFile(utf8ToUtf16(args[0]).c_str(), bytes)) {
        std::fprintf(stderr, "bundle-list: cannot read %s\n", args[0].c_str());
        return 1;
    }
    BundleContents contents = readBundle(bytes.data(), bytes.size());
    for (std::size_t i = 0; i < contents.entries.size(); ++i) {
        printPicture(i, bytes.data() + contents.entries[i].offset, contents.entries[i].size);
    }
    if (contents.entries.size() != contents.declared) {
        std::fprintf(stderr, "bundle-list: the bundle declares %u pictures, %zu can be read\n",
                     unsigned(contents.declared), contents.entries.size());
        return 1;
    }
    return 0;
}

const CommandRegistration registration("bundle-list", "bundle-list BUNDLE.bin", runBundleList);

}  // namespace
