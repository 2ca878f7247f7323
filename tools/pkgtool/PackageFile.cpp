#include "tools/pkgtool/PackageFile.h"

#include <cstdio>

#include "tools/pkgtool/ToolText.h"

bool LoadedPackage::load(const std::string& path) {
    if (!file_.map(toolPath(path))) {
        toolError("cannot read \"" + path + "\"");
        return false;
    }
    if (!loadPackage(file_.data(), file_.size(), *config_, &stop_)) {
        std::fprintf(stderr, "package rejected: %s\n", lastPackageRejection);
        return false;
    }
    return true;
}

std::string packagePathOf(const FileNode* file) {
    if (!file) return "-";
    if (!file->parent) return printable(viewOf(file->name));
    return printable(viewOf(file->parent->name)) + "\\" + printable(viewOf(file->name));
}
