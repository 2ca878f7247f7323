#include "engine/ProductRemoval.h"

#include "common/Names.h"
#include "engine/RegistryPaths.h"
#include "engine/RegistryRunEntry.h"
#include "engine/Services.h"
#include "engine/UninstallJob.h"
#include "package/FileRemoval.h"
#include "package/FileTree.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

using platform::KeyAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

bool keyExists(RegistryRoot root, std::u16string_view path) {
    TextBuffer text;
    RegistryKey key = 0;
    if (!copyText(text, path) || !platform::registry().openKey(root, text, KeyAccess::Read, key)) {
        return false;
    }
    platform::registry().closeKey(key);
    return true;
}

bool keyBelowExists(RegistryRoot root, std::u16string_view parent, std::u16string_view name) {
    TextBuffer path;
    return joinPath(path, parent, name) && keyExists(root, viewOf(path));
}

bool runValueExists(RegistryRoot root, const TextBuffer& command) {
    TextBuffer name, value;
    RegistryKey key = 0;
    if (!runValueNameOf(viewOf(command), name) ||
        !platform::registry().openKey(root, kRunKeyPath, KeyAccess::Read, key)) {
        return false;
    }
    bool there = platform::registry().queryString(key, name, value);
    platform::registry().closeKey(key);
    return there;
}

bool pathExists(std::u16string_view path) {
    TextBuffer text;
    return copyText(text, path) && platform::files().exists(text);
}

// Whether what the record names is still there; driver scripts leave nothing to look for.
bool stillThere(const LogRecord& r) {
    TextBuffer text, name;
    if (r.type == LOG_REGISTRY_KEY) {
        std::uint32_t root = 0;
        RegistryRoot known;
        return recordRegistryKey(r, root, text) && platform::registryRootOf(root, known) &&
               keyExists(known, viewOf(text));
    }
    if (!recordText(r, text)) return false;
    switch (r.type) {
        case LOG_FILE:
        case LOG_SYSTEM_FILE:
        case LOG_FOLDER:
            return platform::files().exists(text);
        case LOG_DESKTOP_SHORTCUT:
        case LOG_START_MENU_SHORTCUT:
            return pathExists(std::u16string(viewOf(text)) + u".lnk");
        case LOG_SERVICE:
            return serviceNameOf(viewOf(text), name) && serviceExists(name);
        case LOG_DESKTOP_MENU:
            return keyBelowExists(RegistryRoot::ClassesRoot, kDesktopShellPath, viewOf(text));
        case LOG_UNINSTALL_ENTRY:
            return keyBelowExists(RegistryRoot::LocalMachine, kUninstallListPath, viewOf(text));
        case LOG_RUN_ENTRY:
            return runValueExists(RegistryRoot::CurrentUser, text);
        case LOG_MACHINE_RUN_ENTRY:
            return runValueExists(RegistryRoot::LocalMachine, text);
        default:
            return false;
    }
}

// Takes the record of the program that is the uninstaller itself out of the log.
void leaveOut(UninstallLog& log, const char16_t* keepFile) {
    if (!keepFile) return;
    for (LogRecord* r = log.first; r; r = r->next) {
        TextBuffer text;
        if (r->type != LOG_FILE || !recordText(*r, text) || !textEquals(text, keepFile)) continue;
        (r->prev ? r->prev->next : log.first) = r->next;
        (r->next ? r->next->prev : log.last) = r->prev;
        if (log.cursor == r) log.cursor = r->next ? r->next : r->prev;
        delete r;
        return;
    }
}

// Why a folder stayed: what is still in it (the installation made none of it, or could not
// remove it), a few names at most.
std::u16string stillHeld(const TextBuffer& folder) {
    constexpr std::size_t kNamesShown = 8;
    std::vector<platform::DirEntry> entries;
    if (!platform::files().listFolder(folder, entries)) return {};
    std::u16string names;
    std::size_t shown = 0, more = 0;
    for (const platform::DirEntry& e : entries) {
        if (e.name == u"." || e.name == u"..") continue;
        if (shown == kNamesShown) {
            ++more;
            continue;
        }
        names += (shown++ ? u", " : u"") + e.name;
    }
    if (names.empty()) return {};
    if (more) names += u" and " + utf8ToUtf16(std::to_string(more)) + u" more";
    return u", which still holds " + names;
}

}  // namespace

std::vector<std::u16string> whatRemains(const UninstallLog& log, const FoundLogTrust& trust) {
    std::vector<std::u16string> leftovers;
    for (const LogRecord* r = log.first; r; r = r->next) {
        if (!stillThere(*r)) continue;
        TextBuffer text;
        std::u16string shown =
            logRecordTypeName(r->type) ? utf8ToUtf16(logRecordTypeName(r->type)) : u"record";
        if (recordText(*r, text, r->type == LOG_REGISTRY_KEY ? 4 : 0)) {
            shown += u" " + std::u16string(viewOf(text));
        }
        if (!mayUndo(*r, trust)) shown += u" (not this installation's to remove)";
        leftovers.push_back(shown);
    }
    return leftovers;
}

std::vector<std::u16string> whatRemovalLeft(const UninstallLog& log, const FoundLogTrust& trust) {
    std::vector<std::u16string> left;
    for (const LogRecord* r = log.first; r; r = r->next) {
        TextBuffer text;
        if (r->type == LOG_FOLDER || !mayUndo(*r, trust) || !stillThere(*r)) continue;
        if (recordText(*r, text, r->type == LOG_REGISTRY_KEY ? 4 : 0)) {
            left.emplace_back(viewOf(text));
        }
    }
    return left;
}

std::vector<std::u16string> leftInOtherAccounts(const UninstallLog& log) {
    std::vector<std::u16string> notes;
    TextBuffer scope;
    std::u16string account;
    const LogRecord* found = nullptr;
    for (const LogRecord* r = log.first; r; r = r->next) {
        if (r->type == LOG_INSTALL_SCOPE) found = r;
    }
    std::u16string_view prefix = u"per-user ";
    if (!found || !recordText(*found, scope) || !viewOf(scope).starts_with(prefix) ||
        (platform::systemInfo().accountName(account) &&
         sameIgnoringAsciiCase(account, viewOf(scope).substr(prefix.size())))) {
        return notes;
    }
    std::u16string owner(viewOf(scope).substr(prefix.size()));
    for (const LogRecord* r = log.first; r; r = r->next) {
        TextBuffer command, name;
        if (r->type == LOG_RUN_ENTRY && recordText(*r, command) &&
            runValueNameOf(viewOf(command), name)) {
            notes.push_back(u"HKCU\\" + std::u16string(kRunKeyPath) + u"\\" +
                            std::u16string(viewOf(name)) + u" of " + owner);
        }
    }
    return notes;
}

void removeProductFolders(const FoundLogTrust& trust, std::vector<std::u16string>& leftovers) {
    if (!trust.believed) return;
    removeEmptyFolders(trust.productFolder);
    TextBuffer company;
    if (copyText(company, parentOf(viewOf(trust.productFolder)))) {
        removeFolderWhenFree(company);
    }
    if (platform::files().exists(trust.productFolder)) {
        leftovers.push_back(u"folder " + std::u16string(viewOf(trust.productFolder)) +
                            stillHeld(trust.productFolder));
    }
}

RemovalReport removeInstallation(const char16_t* logPath, const char16_t* keepFile) {
    RemovalReport report;
    UninstallJob job;
    report.loaded = loadUninstallJob(job, logPath);
    if (report.loaded && job.log) {
        report.believed = job.trust.believed;
        report.trust = job.trust;
        report.product = viewOf(job.log->product);
        leaveOut(*job.log, keepFile);
        if (report.believed) {
            startUninstallJob(job);
            waitUninstallJob(job);
        }
        report.leftovers = whatRemains(*job.log, job.trust);
        report.otherAccounts = leftInOtherAccounts(*job.log);
    }
    freeUninstallJob(job);
    return report;
}
