#include "tools/pkgtool/PackageFile.h"

#include <cstdio>
#include <vector>

#include "platform/FileSystem.h"
#include "tools/pkgtool/ToolText.h"

bool LoadedPackage::load(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!platform::files().readFile(toolPath(path).c_str(), bytes)) {
        toolError("cannot read \"" + path + "\"");
        return false;
    }
    if (!loadPackage(bytes.data(), bytes.size(), *config_, &stop_)) {
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
