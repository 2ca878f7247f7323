// pkgtool script PACKAGE.bin: the install configuration the package's script yields, one line
// per field or list entry, lists from the head.
#include <cstdio>

#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/PackageFile.h"
#include "tools/pkgtool/ToolText.h"

namespace {

void line(const char* label, const std::string& a) {
    std::printf("%s\t%s\n", label, a.c_str());
}

void line(const char* label, const std::string& a, const std::string& b) {
    std::printf("%s\t%s\t%s\n", label, a.c_str(), b.c_str());
}

std::string textOf(const char16_t* text) {
    return printable(viewOf(text));
}

void printNamed(const char* label, const NamedFile* list) {
    for (; list; list = list->next) line(label, textOf(list->name), packagePathOf(list->file));
}

void printFiles(const char* label, const FileRef* list) {
    for (; list; list = list->next) line(label, packagePathOf(list->file));
}

std::string hexId(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(id));
    return text;
}

// "any" when every product of the vendor counts.
std::string productIds(const TouchDeviceIds& ids) {
    if (ids.productCount == 0) return "any";
    std::string list;
    for (std::size_t i = 0; i < ids.productCount && i < kMaxTouchProducts; ++i) {
        list += (i ? " " : "") + hexId(ids.products[i]);
    }
    return list;
}

void printConfig(const InstallConfig& c) {
    line("settingsKey", textOf(c.identity.settingsKey));
    line("dataFolder", textOf(c.identity.dataFolder));
    line("version", c.identity.version[0] ? textOf(c.identity.version) : "-");
    line("touchDevices", hexId(c.identity.touch.vendor), productIds(c.identity.touch));
    line("company", textOf(c.company));
    line("product", textOf(c.product));
    line("mainApp", packagePathOf(c.mainApp));
    line("extraProgram", packagePathOf(c.extraProgram));
    line("uninstaller", packagePathOf(c.uninstaller));
    printFiles("launchAfterInstall", c.launchAfterInstall);
    printFiles("runEntry", c.runEntries);
    printNamed("startMenuShortcut", c.startMenuShortcuts);
    printNamed("desktopMenuEntry", c.desktopMenuEntries);
    printFiles("systemFile", c.systemFiles);
    printNamed("desktopShortcut", c.desktopShortcuts);
    for (const ServiceEntry* s = c.services; s; s = s->next) {
        // Descriptions are heap strings of any length, not 260-unit buffers.
        std::string description = s->description ? printable(s->description) : "-";
        line("service", packagePathOf(s->file), description);
    }
    for (const DriverScriptSet* d = c.driverScriptSets; d; d = d->next) {
        std::printf("driverScripts\t%s\t%s\t%s\t%s\n", packagePathOf(d->installX86).c_str(),
                    packagePathOf(d->installX64).c_str(), packagePathOf(d->uninstallX86).c_str(),
                    packagePathOf(d->uninstallX64).c_str());
    }
    for (const LicenceFile* l = c.licenceFiles; l; l = l->next) {
        line("licence", std::to_string(l->languageIndex), packagePathOf(l->file));
    }
}

int script(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: pkgtool script PACKAGE.bin\n", stderr);
        return 2;
    }
    LoadedPackage package;
    if (!package.load(args[0])) return 1;
    printConfig(package.config());
    const ScriptStop& stop = package.scriptStop();
    if (!stop.reason) return 0;
    std::fflush(stdout);
    std::fprintf(stderr, "script stopped at offset %zu: %s\n", stop.offset, stop.reason);
    return 1;
}

const CommandRegistration registration("script", "script PACKAGE.bin", script);

}  // namespace
