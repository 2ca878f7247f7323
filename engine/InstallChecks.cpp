// What an installation judges before it changes anything, beyond its folders: the versions, the
// names it will take, and the panel endpoint it keeps.
#include <array>

#include "engine/DataFolder.h"
#include "engine/PanelConfig.h"
#include "engine/RegistryRunEntry.h"
#include "engine/SetupLog.h"
#include "engine/WorkerRun.h"
#include "package/VersionResource.h"
#include "platform/FileSystem.h"
#include "text/ClaimMessages.h"

namespace {

// -1, 0 or 1 as `a` is older than, the same as, or newer than `b`; missing parts count as 0.
int compareVersions(std::u16string_view a, std::u16string_view b) {
    std::array<std::uint16_t, 4> x{}, y{};
    if (!pe::versionNumbers(a, x) || !pe::versionNumbers(b, y)) return 0;
    return x < y ? -1 : x > y ? 1 : 0;
}

void takeNewer(std::u16string& newest, std::u16string_view version) {
    if (!version.empty() && (newest.empty() || compareVersions(version, newest) > 0)) {
        newest = version;
    }
}

// The version the product's own Uninstall entry tells, when the entry is this product's.
void entryVersion(const WorkerRun& run, std::u16string& newest) {
    std::u16string key;
    TextBuffer version;
    TakenName taken;
    platform::RegistryKey open = 0;
    if (!uninstallKeyPathOf(run.config.identity, key) ||
        !uninstallEntryIsFree(run.evidence, taken) ||
        !platform::registry().openKey(platform::RegistryRoot::LocalMachine, key.c_str(),
                                      platform::KeyAccess::Read, open)) {
        return;
    }
    if (platform::registry().queryString(open, u"DisplayVersion", version)) {
        takeNewer(newest, viewOf(version));
    }
    platform::registry().closeKey(open);
}

bool servicesAreFree(const WorkerRun& run, TakenName& taken) {
    for (ServiceEntry* s = run.config.services; s; s = s->next) {
        TextBuffer name;
        serviceNameOfFile(*s->file, name);
        if (!serviceIsFree(name, run.evidence, taken)) return false;
    }
    return true;
}

bool runValuesAreFree(const WorkerRun& run, TakenName& taken) {
    for (FileRef* r = run.config.runEntries; r; r = r->next) {
        TextBuffer name;
        if (!copyText(name, stemOf(viewOf(r->file->name)))) continue;
        if (!runValueIsFree(runRootOf(run), name, run.evidence, taken)) return false;
    }
    return true;
}

bool shortcutsAreFree(NamedFile* entries, const TextBuffer& folder, const WorkerRun& run,
                      TakenName& taken) {
    for (NamedFile* e = entries; e; e = e->next) {
        TextBuffer link;
        if (!joinPath(link, viewOf(folder), viewOf(e->name))) continue;
        if (!shortcutIsFree(link, run.evidence, taken)) return false;
    }
    return true;
}

bool userItemsAreFree(const WorkerRun& run, TakenName& taken) {
    TextBuffer menu, desktop;
    if (run.config.startMenuShortcuts && startMenuFolderOf(run, menu) &&
        !shortcutsAreFree(run.config.startMenuShortcuts, menu, run, taken)) {
        return false;
    }
    if (run.config.desktopShortcuts && desktopFolderOf(run, desktop) &&
        !shortcutsAreFree(run.config.desktopShortcuts, desktop, run, taken)) {
        return false;
    }
    for (NamedFile* e = run.config.desktopMenuEntries; e; e = e->next) {
        if (!desktopMenuIsFree(e->name, run.evidence, taken)) return false;
    }
    return runValuesAreFree(run, taken);
}

bool systemFilesAreFree(const WorkerRun& run, TakenName& taken) {
    std::u16string system;
    if (!run.config.systemFiles ||
        !platform::files().specialFolder(platform::SpecialFolder::System, system)) {
        return true;
    }
    for (FileRef* r = run.config.systemFiles; r; r = r->next) {
        TextBuffer path;
        if (!joinPath(path, system, viewOf(r->file->name))) continue;
        if (!systemFileIsFree(path, run.evidence, taken)) return false;
    }
    return true;
}

// A configuration file of two elements is some 80 bytes: a larger one, or one nested deeper
// than a few elements, is no panel configuration of ours and is not parsed at all.
constexpr std::size_t kLongestPanelConfig = 1024;

}  // namespace

bool versionMayReplace(WorkerRun& run) {
    std::u16string_view installing = viewOf(run.config.identity.version);
    std::u16string found;
    for (const EarlierInstallation& e : run.earlier) {
        takeNewer(found, viewOf(e.job->trust.identity.version));
    }
    entryVersion(run, found);
    logEvent("version being installed", installing.empty() ? u"none named" : installing);
    logEvent("version found", found.empty() ? u"none" : std::u16string_view(found));
    if (installing.empty() || found.empty() || compareVersions(found, installing) <= 0) {
        return true;
    }
    if (run.parameter().allowDowngrade) {
        logEvent("the older version replaces the newer one (/ALLOWDOWNGRADE)");
        return true;
    }
    run.refusal =
        newerVersionText(run.parameter().language, viewOf(run.config.product), found, installing);
    return false;
}

bool namesAreFree(WorkerRun& run) {
    TakenName taken;
    bool free = servicesAreFree(run, taken) &&
                (!run.config.uninstaller || uninstallEntryIsFree(run.evidence, taken)) &&
                userItemsAreFree(run, taken) && systemFilesAreFree(run, taken) &&
                dataFolderIsFree(run.evidence, taken);
    if (!free) run.refusal = takenText(run.parameter().language, taken.item, taken.owner);
    return free;
}

void keepEarlierEndpoint(WorkerRun& run) {
    std::u16string documents;
    TextBuffer relative;
    TakenName taken;
    std::vector<std::uint8_t> bytes;
    if (run.parameter().hasEndpoint || !dataFolderIsFree(run.evidence, taken) ||
        !panelConfigPathOf(run.config.identity, relative) ||
        !platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents) ||
        !platform::files().readFileBelow(documents.c_str(), relative, bytes, kLongestPanelConfig)) {
        return;
    }
    run.keptEndpoint = readPanelEndpoint(bytes, run.endpoint);
    if (!run.keptEndpoint)
        logEvent("the earlier PanelConfig.ini names no endpoint that can be kept");
}

bool startMenuFolderOf(const WorkerRun& run, TextBuffer& folder) {
    std::u16string programs;
    auto which = run.parameter().perMachine ? platform::SpecialFolder::CommonPrograms
                                            : platform::SpecialFolder::Programs;
    return platform::files().specialFolder(which, programs) &&
           joinPath(folder, programs, viewOf(run.config.company), viewOf(run.config.product));
}

bool desktopFolderOf(const WorkerRun& run, TextBuffer& folder) {
    std::u16string desktop;
    auto which = run.parameter().perMachine ? platform::SpecialFolder::CommonDesktop
                                            : platform::SpecialFolder::Desktop;
    return platform::files().specialFolder(which, desktop) && copyText(folder, desktop);
}

platform::RegistryRoot runRootOf(const WorkerRun& run) {
    return run.parameter().perMachine ? platform::RegistryRoot::LocalMachine
                                      : platform::RegistryRoot::CurrentUser;
}

void noteRunningPrograms(WorkerRun& run) {
    // The first of the product's folders is the new one (findEarlierInstallations).
    if (!run.haveLogPath || run.evidence.folders.empty()) return;
    findRunningPrograms(run.evidence.folders, run.evidence.folders.front(), run.closed);
    for (const ClosedProgram& c : run.closed.list) {
        logEvent("running, closed for the installation: the program of " +
                     (c.owner.account.empty() ? std::string("an account it cannot name")
                                              : utf16ToUtf8(c.owner.account)),
                 c.path);
    }
}
