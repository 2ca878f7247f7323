// pkgtool extract PACKAGE.bin DIR: writes the package's files under DIR the way the
// installation does: the folders first, then every file from the head of allFiles. The package
// may come from anywhere and DIR may already hold anything: nothing is written outside DIR, and
// nothing below DIR is reached through a link.
#include <cstdio>

#include "platform/FileSystem.h"
#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/PackageFile.h"
#include "tools/pkgtool/ToolText.h"

namespace {

// The file's path below the target folder: "dir\name" or "name".
bool relativePathOf(const FileNode& file, TextBuffer& path) {
    return file.parent ? joinPath(path, viewOf(file.parent->name), viewOf(file.name))
                       : copyText(path, viewOf(file.name));
}

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
    auto& fs = platform::files();
    if (!fs.exists(root.targetPath)) fs.createFolder(root.targetPath);
    // A folder that is there already is fine; one that cannot be made shows up as a failed write.
    forEachDirectory(root, [&](DirNode& dir) { fs.createFolderBelow(root.targetPath, dir.name); });
    for (const FileNode* f = root.allFiles; f; f = f->nextInAll) {
        TextBuffer path, relative;
        if (!targetPathOf(*f, path) || !relativePathOf(*f, relative)) {
            return toolError("the target path of \"" + packagePathOf(f) +
                             "\" is longer than 259 UTF-16 units");
        }
        const char* damage = nullptr;
        auto result = fs.writeFileBelowFrom(root.targetPath, relative, fileContentsOf(*f, &damage));
        package.release(*f);
        if (result == platform::WriteResult::ShortWrite) fs.removeBelow(root.targetPath, relative);
        if (damage) return toolError("\"" + packagePathOf(f) + "\" cannot be extracted: " + damage);
        if (result != platform::WriteResult::Written) {
            return toolError("cannot write \"" + printable(viewOf(path)) + "\"");
        }
    }
    return 0;
}

const CommandRegistration registration("extract", "extract PACKAGE.bin DIR", extract);

}  // namespace
