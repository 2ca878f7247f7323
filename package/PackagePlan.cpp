#include "package/PackagePlan.h"

bool packageNameLess(std::u16string_view a, std::u16string_view b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        // Little-endian: the low byte comes first in the package.
        unsigned lowA = a[i] & 0xFF, lowB = b[i] & 0xFF;
        if (lowA != lowB) return lowA < lowB;
        return (a[i] >> 8) < (b[i] >> 8);
    }
    return a.size() < b.size();
}

namespace packing {

namespace {

std::string utf8(std::u16string_view text) {
    return utf16ToUtf8(text);
}

}  // namespace

bool fail(PackageFault& fault, std::string reason, std::optional<std::size_t> record) {
    fault.record = record;
    fault.reason = std::move(reason);
    return false;
}

namespace {

// Walks (and creates) the folders of a "\"-joined path; `last` receives the final component.
FolderPlan* folderFor(FolderPlan& root, std::u16string_view path, std::u16string& last,
                      PackageFault& fault) {
    FolderPlan* folder = &root;
    std::size_t start = 0;
    for (;;) {
        std::size_t cut = path.find(u'\\', start);
        std::u16string_view part = path.substr(start, cut == path.npos ? path.npos : cut - start);
        if (part.empty()) {
            fail(fault, "\"" + utf8(path) + "\" has an empty path component");
            return nullptr;
        }
        std::u16string_view soFar = path.substr(0, cut == path.npos ? path.size() : cut);
        if (soFar.size() > kMaxNameUnits || part.size() > kMaxNameUnits) {
            fail(fault, "\"" + utf8(soFar) + "\" is longer than 259 UTF-16 units");
            return nullptr;
        }
        if (cut == path.npos) {
            last.assign(part);
            return folder;
        }
        if (folder->files.count(std::u16string(part))) {
            fail(fault, "\"" + utf8(soFar) + "\" is both a file and a folder");
            return nullptr;
        }
        folder = &folder->folders[std::u16string(part)];
        start = cut + 1;
    }
}

}  // namespace

bool planFolders(const PackageInput& input, FolderPlan& root, PackageFault& fault) {
    for (const std::u16string& path : input.folders) {
        std::u16string last;
        FolderPlan* parent = folderFor(root, path, last, fault);
        if (!parent) return false;
        if (parent->files.count(last)) {
            return fail(fault, "\"" + utf8(path) + "\" is both a file and a folder");
        }
        parent->folders[last];
    }
    for (const PackageFile& file : input.files) {
        std::u16string last;
        FolderPlan* parent = folderFor(root, file.path, last, fault);
        if (!parent) return false;
        if (parent->folders.count(last)) {
            return fail(fault, "\"" + utf8(file.path) + "\" is both a file and a folder");
        }
        if (!parent->files.emplace(last, &file).second) {
            return fail(fault, "\"" + utf8(file.path) + "\" appears twice");
        }
        if (file.byteCount() > kMaxPackageSize) {
            return fail(fault, "\"" + utf8(file.path) + "\" is " +
                                   std::to_string(file.byteCount()) + " bytes, over " +
                                   kMaxPackageReason);
        }
    }
    return true;
}
namespace {

bool checkText(std::u16string_view text, const char* what, bool bounded, std::size_t record,
               PackageFault& fault) {
    if (text.find(u'\0') != text.npos) {
        return fail(fault, std::string(what) + " contains a NUL character", record);
    }
    if (bounded && text.size() > kMaxNameUnits) {
        return fail(fault, std::string(what) + " is longer than 259 UTF-16 units", record);
    }
    return true;
}

}  // namespace

bool checkRecord(const ScriptRecord& r, std::size_t index, PackageFault& fault) {
    switch (r.command) {
        case ScriptCommand::Company:
        case ScriptCommand::Product:
            return checkText(r.text, "the text", true, index, fault);
        case ScriptCommand::StartMenuShortcut:
        case ScriptCommand::DesktopMenuEntry:
        case ScriptCommand::DesktopShortcut:
            return checkText(r.path, "the path", true, index, fault) &&
                   checkText(r.name, "the name", true, index, fault);
        case ScriptCommand::Service:
            return checkText(r.path, "the path", true, index, fault) &&
                   (!r.description ||
                    checkText(*r.description, "the description", false, index, fault));
        case ScriptCommand::DriverScripts:
            if (!r.driverScripts[0] && !r.driverScripts[1]) {
                return fail(fault, "a driver script set needs an x86 or x64 install script", index);
            }
            for (const auto& path : r.driverScripts) {
                if (path && !checkText(*path, "the path", true, index, fault)) return false;
            }
            return true;
        case ScriptCommand::MainApp:
        case ScriptCommand::Uninstaller:
        case ScriptCommand::SystemFile:
        case ScriptCommand::Licence:
        case ScriptCommand::RunEntry:
        case ScriptCommand::LaunchAfterInstall:
        case ScriptCommand::ExtraProgram:
            return checkText(r.path, "the path", true, index, fault);
    }
    return fail(fault, "unknown record command " + std::to_string(unsigned(r.command)), index);
}
}  // namespace packing
