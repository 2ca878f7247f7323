// pkgtool list PACKAGE.bin: every file from the head of allFiles, as the installer writes them.
#include <cstdio>

#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/PackageFile.h"

namespace {

int list(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: pkgtool list PACKAGE.bin\n", stderr);
        return 2;
    }
    LoadedPackage package;
    if (!package.load(args[0])) return 1;
    for (const FileNode* f = package.config().fileTree->allFiles; f; f = f->nextInAll) {
        std::printf("%u\t%s\n", unsigned(f->size), packagePathOf(f).c_str());
    }
    return 0;
}

const CommandRegistration registration("list", "list PACKAGE.bin", list);

}  // namespace
