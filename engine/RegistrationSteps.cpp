// The installation's steps that register it with the system and its users: start-menu and
// desktop shortcuts, desktop menu entries, system-folder files, the Uninstall entry and the Run
// values. Each takes a name another product may hold: what stands there already must be this
// product's, or the installation stops and is rolled back, naming the item and its owner.
#include "engine/DisplayIcon.h"
#include "engine/RegistryDesktopMenu.h"
#include "engine/RegistryRunEntry.h"
#include "engine/RegistryUninstallEntry.h"
#include "engine/Shortcuts.h"
#include "engine/WorkerRun.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace {

// Creates one start-menu folder level when it is missing, and logs it only then: a folder that
// was there already (another product of the same company, say) is not this installation's to
// remove. False when it cannot be composed.
bool addMenuFolder(WorkerRun& run, TextBuffer& folder, const TextBuffer& name) {
    if (!appendText(folder, u"\\") || !appendText(folder, viewOf(name))) return false;
    if (platform::files().exists(folder)) return true;
    appendText(run.log, LOG_FOLDER, viewOf(folder));
    if (!platform::files().createFolder(folder)) dropLastRecord(run.log);
    return true;
}

void createShortcuts(WorkerRun& run, NamedFile* entries, const TextBuffer& folder,
                     LogRecordType record) {
    for (NamedFile* e = entries; e && run.running(); e = e->next) {
        TextBuffer link, target;
        TakenName taken;
        if (!joinPath(link, viewOf(folder), viewOf(e->name)) || !targetOf(e->file, target))
            continue;
        if (!shortcutIsFree(link, run.evidence, taken)) return refuseTaken(run, taken);
        appendText(run.log, record, viewOf(link));
        if (!createShortcut(target, link)) dropLastRecord(run.log);
    }
}

bool specialFolder(platform::SpecialFolder which, TextBuffer& out) {
    std::u16string path;
    return platform::files().specialFolder(which, path) && copyText(out, path);
}

// What the package's files take once installed, in KiB rounded up, at most what a REG_DWORD
// holds.
std::uint32_t installedSizeKb(const PackageRoot& root) {
    std::uint64_t bytes = 0;
    for (const FileNode* f = root.allFiles; f; f = f->nextInAll) bytes += f->size;
    std::uint64_t kb = (bytes + 1023) / 1024;
    return kb > 0xFFFFFFFFu ? 0xFFFFFFFFu : std::uint32_t(kb);
}

// YYYYMMDD of the local date, as Windows writes InstallDate.
std::u16string installDate() {
    platform::CalendarDate d = platform::clock().localDate();
    char16_t text[9];
    unsigned value = unsigned(d.year) * 10000 + unsigned(d.month) * 100 + d.day;
    for (int i = 7; i >= 0; --i, value /= 10) text[i] = char16_t(u'0' + value % 10);
    text[8] = 0;
    return text;
}

}  // namespace

void createStartMenuShortcuts(WorkerRun& run) {
    if (!run.config.startMenuShortcuts) return;
    TextBuffer folder;
    auto which = run.parameter().perMachine ? platform::SpecialFolder::CommonPrograms
                                            : platform::SpecialFolder::Programs;
    if (!specialFolder(which, folder) || !addMenuFolder(run, folder, run.config.company) ||
        !addMenuFolder(run, folder, run.config.product)) {
        return;
    }
    createShortcuts(run, run.config.startMenuShortcuts, folder, LOG_START_MENU_SHORTCUT);
}

void writeDesktopMenus(WorkerRun& run) {
    for (NamedFile* e = run.config.desktopMenuEntries; e && run.running(); e = e->next) {
        TextBuffer target;
        TakenName taken;
        if (!targetOf(e->file, target)) continue;
        if (!desktopMenuIsFree(e->name, run.evidence, taken)) return refuseTaken(run, taken);
        appendText(run.log, LOG_DESKTOP_MENU, viewOf(e->name));
        if (!writeDesktopMenu(target, e->name)) dropLastRecord(run.log);
    }
}

void copySystemFiles(WorkerRun& run) {
    TextBuffer system;
    bool haveSystem = specialFolder(platform::SpecialFolder::System, system);
    for (FileRef* r = run.config.systemFiles; r && run.running(); r = r->next) {
        TextBuffer path;
        TakenName taken;
        if (!haveSystem || !joinPath(path, viewOf(system), viewOf(r->file->name))) continue;
        if (!systemFileIsFree(path, run.evidence, taken)) return refuseTaken(run, taken);
        appendText(run.log, LOG_SYSTEM_FILE, viewOf(path));
        if (!writePackageFile(*r->file, path)) dropLastRecord(run.log);
    }
}

void createDesktopShortcuts(WorkerRun& run) {
    if (!run.config.desktopShortcuts) return;
    TextBuffer desktop;
    if (!desktopFolderOf(run, desktop)) return;
    createShortcuts(run, run.config.desktopShortcuts, desktop, LOG_DESKTOP_SHORTCUT);
}

void writeUninstallEntryStep(WorkerRun& run) {
    if (!run.running() || !run.config.uninstaller) return;
    TakenName taken;
    if (!uninstallEntryIsFree(run.evidence, taken)) return refuseTaken(run, taken);
    // Named after the identity: another vendor's product may carry the same display name.
    appendText(run.log, LOG_UNINSTALL_ENTRY, viewOf(run.config.identity.settingsKey));
    TextBuffer path, icon;
    if (targetOf(run.config.uninstaller, path)) {
        std::u16string date = installDate();
        UninstallEntry entry;
        entry.key = run.config.identity.settingsKey;
        entry.name = run.config.product;
        entry.uninstallerPath = path;
        entry.publisher = run.config.company;
        entry.version = run.config.identity.version;
        entry.installLocation = run.tree().targetPath;
        entry.estimatedSizeKb = installedSizeKb(run.tree());
        entry.identity = run.config.identity.settingsKey;
        entry.installDate = date.c_str();
        entry.displayIcon = displayIconOf(run, icon) ? icon : path;
        writeUninstallEntry(entry);
    }
}

void writeRunEntries(WorkerRun& run) {
    platform::RegistryRoot root = runRootOf(run);
    LogRecordType record = run.parameter().perMachine ? LOG_MACHINE_RUN_ENTRY : LOG_RUN_ENTRY;
    for (FileRef* r = run.config.runEntries; r && run.running(); r = r->next) {
        TextBuffer program, command, name;
        TakenName taken;
        if (!targetOf(r->file, program) || !runCommandFor(viewOf(program), command) ||
            !runValueNameOf(viewOf(command), name)) {
            continue;
        }
        if (!runValueIsFree(root, name, run.evidence, taken)) return refuseTaken(run, taken);
        appendText(run.log, record, viewOf(command));
        writeRunEntry(command, root);
    }
}

void claimDataFolder(WorkerRun& run) {
    TakenName taken;
    if (run.running() && !dataFolderIsFree(run.evidence, taken)) refuseTaken(run, taken);
}
