// pkgtool extract PACKAGE.bin DIR: writes the package's files under DIR the way the
// installation does: the target folders first, then every file from the head of allFiles.
#include <cstdio>

#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/PackageFile.h"
#include "tools/pkgtool/ToolText.h"

namespace {

int extract(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs("usage: pkgtool extract PACKAGE.bin DIR\n", stderr);
        return 2;
    }
    LoadedPackage package;
    if (!package.load(args[0])) return 1;
    PackageRoot& root = *package.config().fileTree;
    std::u16string target = toolPath(args[1]);
    while (target.size() > 1 && target.back() == u'\\') target.pop_back();
    if (!copyText(root.targetPath, target)) {
        return toolError("\"" + args[1] + "\" is longer than 259 UTF-16 units");
    }
    createTargetFolders(root);
    for (const FileNode* f = root.allFiles; f; f = f->nextInAll) {
        TextBuffer path;
        if (!targetPathOf(*f, path)) {
            return toolError("the target path of \"" + packagePathOf(f) +
                             "\" is longer than 259 UTF-16 units");
        }
        if (!writePackageFile(*f, path)) {
            return toolError("cannot write \"" + printable(viewOf(path)) + "\"");
        }
    }
    return 0;
}

const CommandRegistration registration("extract", "extract PACKAGE.bin DIR", extract);

}  // namespace
