// pkgtool info SETUP.exe: what Windows shows of a setup executable (its window title, the
// sizes of its icon, its version numbers and strings), and what its installer package is,
// read from any setup.exe without running it. The executable is mapped, not read: only the
// few small resources shown are copied, so a setup of any size is looked at in little memory.
#include <cstdio>

#include "package/IconResource.h"
#include "package/Package.h"
#include "package/PeResources.h"
#include "package/StringResource.h"
#include "package/VersionResource.h"
#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/MappedFile.h"
#include "tools/pkgtool/SetupLook.h"
#include "tools/pkgtool/ToolText.h"

namespace {

const pe::Resource* find(const std::vector<pe::Resource>& resources, std::uint16_t type,
                         std::uint16_t name) {
    for (const pe::Resource& r : resources) {
        if (pe::sameId(r.type, pe::ResourceId::of(type)) &&
            pe::sameId(r.name, pe::ResourceId::of(name))) {
            return &r;
        }
    }
    return nullptr;
}

void printTitle(const std::vector<pe::Resource>& resources) {
    std::u16string title;
    if (pe::readString(resources, kTitleString, title) && !title.empty()) {
        std::printf("title: %s\n", printable(title).c_str());
    } else {
        std::printf("title: (none)\n");
    }
}

void printIcon(const std::vector<pe::Resource>& resources) {
    const pe::Resource* group = find(resources, pe::kGroupIconType, kSetupIcon);
    std::vector<pe::IconImage> entries;
    std::string reason;
    if (!group) {
        std::printf("icon: (none)\n");
    } else if (!pe::readIconGroup(group->data, entries, reason)) {
        std::printf("icon: (unreadable: %s)\n", reason.c_str());
    } else {
        std::string sizes;
        for (const pe::IconImage& e : entries) {
            if (!sizes.empty()) sizes += ", ";
            sizes += std::to_string(e.width) + "x" + std::to_string(e.height) + " " +
                     std::to_string(e.bitCount) + "-bit";
        }
        std::printf("icon: %s\n", sizes.c_str());
    }
}

std::string dotted(const std::array<std::uint16_t, 4>& v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]);
}

void printVersion(const std::vector<pe::Resource>& resources) {
    const pe::Resource* version = find(resources, pe::kVersionType, pe::kVersionName);
    pe::VersionInfo info;
    std::string reason;
    if (!version) {
        std::printf("version: (none)\n");
        return;
    }
    if (!pe::readVersionResource(version->data, info, reason)) {
        std::printf("version: (unreadable: %s)\n", reason.c_str());
        return;
    }
    std::printf("file version: %s\n", dotted(info.fileVersion).c_str());
    std::printf("product version: %s\n", dotted(info.productVersion).c_str());
    for (const auto& [key, value] : info.strings) {
        std::printf("%s: %s\n", printable(key).c_str(), printable(value).c_str());
    }
}

// Only these are read: the title's string tables, the icon's group, the version.
bool shown(const pe::Resource& r) {
    return pe::sameId(r.type, pe::ResourceId::of(pe::kStringType)) ||
           pe::sameId(r.type, pe::ResourceId::of(pe::kGroupIconType)) ||
           pe::sameId(r.type, pe::ResourceId::of(pe::kVersionType));
}

// The package as the installer loads it (its validity test reads whether it is compressed),
// straight from the mapped file: the tree holds names and sizes, never the files' bytes.
void printPackage(const std::vector<pe::Resource>& resources) {
    const pe::Resource* package = nullptr;
    for (const pe::Resource& r : resources) {
        if (pe::sameId(r.type, pe::ResourceId::of(u"RES_DATA")) &&
            pe::sameId(r.name, pe::ResourceId::of(199))) {
            package = &r;
            break;
        }
    }
    if (!package) {
        std::printf("package: (none)\n");
        return;
    }
    auto* config = new InstallConfig;
    if (loadPackage(package->inFile.data(), package->inFile.size(), *config)) {
        std::uint64_t files = 0, bytes = 0;
        for (const FileNode* f = config->fileTree->allFiles; f; f = f->nextInAll) {
            ++files;
            bytes += f->size;
        }
        std::printf("package: %s, %llu files, %llu bytes\n",
                    config->fileTree->compressed ? "compressed" : "stored",
                    static_cast<unsigned long long>(files), static_cast<unsigned long long>(bytes));
    } else {
        std::printf("package: (unreadable: %s)\n", lastPackageRejection);
    }
    releaseInstallConfig(config);
}

int info(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: pkgtool info SETUP.exe\n", stderr);
        return 2;
    }
    MappedFile file;
    if (!file.map(toolPath(args[0]))) return toolError("cannot read \"" + args[0] + "\"");
    std::vector<pe::Resource> resources;
    std::string reason;
    if (!pe::readResources({file.data(), file.size()}, resources, reason, false)) {
        return toolError("\"" + args[0] + "\" cannot be read: " + reason);
    }
    for (pe::Resource& r : resources) {
        if (shown(r)) r.data.assign(r.inFile.begin(), r.inFile.end());
    }
    printTitle(resources);
    printIcon(resources);
    printVersion(resources);
    printPackage(resources);
    return 0;
}

const CommandRegistration registration("info", "info SETUP.exe", info);

}  // namespace
