// The installation's own steps between the previous-version removal and the decision: folders,
// services, programs, files, product key. The names it registers for users (shortcuts, menu
// entries, the Uninstall entry, Run values) are RegistrationSteps.cpp.
#include <new>

#include "common/Names.h"
#include "engine/LogIdentity.h"
#include "engine/ProgramShutdown.h"
#include "engine/RegistryKeyRecord.h"
#include "engine/RegistryProductKey.h"
#include "engine/RunProgram.h"
#include "engine/Services.h"
#include "engine/SetupLog.h"
#include "engine/WorkerRun.h"
#include "platform/FileSystem.h"
#include "platform/Security.h"
#include "platform/ServiceManager.h"
#include "platform/SystemInfo.h"
#include "text/RefusalMessages.h"

namespace {

void ensureFolder(const char16_t* path) {
    if (!platform::files().exists(path)) platform::files().createFolder(path);
}

// The package-relative name of a file, for an error about a path too long to compose.
void packagePathOf(const FileNode& file, TextBuffer& out) {
    if (!file.parent || !joinPath(out, viewOf(file.parent->name), viewOf(file.name))) {
        copyText(out, viewOf(file.name));
    }
}

Refusal refusalOf(platform::FolderFault fault) {
    return fault == platform::FolderFault::Missing ? Refusal::Missing : Refusal::OthersCanChange;
}

// Company and product folders that stand there already: nobody else may change them (or
// anything on the way), nor add files to them or write them, whatever the root: a DLL put
// beside the service's program, or a program put where the next version of it lands, would run
// as LocalSystem.
bool existingFoldersAreSound(WorkerRun& run, const TextBuffer& company, const TextBuffer& product) {
    for (const TextBuffer* folder : {&company, &product}) {
        if (!platform::files().exists(*folder)) continue;
        platform::Held held = platform::security().holdFolderChain(*folder);
        if (!held.sound()) {
            refuse(run, held.atFault, refusalOf(held.fault));
            return false;
        }
        if (!platform::security().isWritableOnlyByTrusted(*folder)) {
            refuse(run, viewOf(*folder), Refusal::OthersCanChange);
            return false;
        }
    }
    return true;
}

}  // namespace

bool targetOf(const FileNode* file, TextBuffer& path) {
    return file && file->root->targetPath[0] != 0 && targetPathOf(*file, path);
}

bool installFolderIsSafe(WorkerRun& run) {
    const char16_t* installRoot = run.parameter().installRoot;
    TextBuffer company, product;
    bool composed = joinPath(company, viewOf(installRoot), viewOf(run.config.company)) &&
                    joinPath(product, viewOf(company), viewOf(run.config.product));
    // A name with "\" or ".." in it would put the installation somewhere else entirely.
    if (!isPlainName(viewOf(run.config.company)) || !isPlainName(viewOf(run.config.product))) {
        run.refusal = composed ? viewOf(product) : viewOf(installRoot);
        return false;
    }
    // "C:" is the drive's root, judged as "C:\": as a path of its own it names the current
    // folder, which would be judged in its place.
    std::vector<std::u16string> chain;
    if (!folderChainOf(viewOf(installRoot), chain)) {
        refuse(run, viewOf(installRoot), Refusal::NotAFullPath);
        return false;
    }
    platform::Held held = platform::security().holdFolderChain(chain.back().c_str());
    if (!held.sound()) {
        refuse(run, held.atFault, refusalOf(held.fault));
        return false;
    }
    run.hold = std::move(held.hold);
    run.rootProtected = platform::security().isWritableOnlyByTrusted(chain.back().c_str());
    return !composed || existingFoldersAreSound(run, company, product);
}

namespace {

// Under a root others can write, the folder is made with a protected access list; one that
// stands there anyway (made by someone else a moment ago) must be writable only by the system's
// own principals. A folder that could not be made is left to fail the first file written into it.
bool secureFolder(const WorkerRun& run, const char16_t* folder) {
    if (run.rootProtected) {
        ensureFolder(folder);
        return true;
    }
    if (!platform::files().exists(folder)) platform::security().createProtectedFolder(folder);
    return !platform::files().exists(folder) ||
           platform::security().isWritableOnlyByTrusted(folder);
}

void refuseFolder(WorkerRun& run, std::u16string_view folder, Refusal why) {
    refuse(run, folder, why);
    sendStatus(run, ST_FILE_ERROR, run.refusal.c_str());
    run.stop();
    run.tree().targetPath[0] = 0;
}

// The folders just made, from the drive's root down, judged and held in place of the root's
// hold for the rest of the work. Refused, a product folder this run made goes again (the
// rollback takes the company folder, when empty).
bool holdProductFolder(WorkerRun& run, const char16_t* productFolder, bool made) {
    platform::Held held;
    try {
        held = platform::security().holdFolderChain(productFolder);
    } catch (const std::bad_alloc&) {
        // Not yet the run's target, so the rollback would not know the folder: it goes now.
        if (made) platform::files().removeFolder(productFolder);
        throw;
    }
    if (held.sound()) {
        run.hold = std::move(held.hold);
        return true;
    }
    refuseFolder(run, held.atFault, refusalOf(held.fault));
    if (made) platform::files().removeFolder(productFolder);
    return false;
}

}  // namespace

namespace {

// Per-machine or per-user, and who ran it: the removal, from whatever account, knows where the
// shortcuts and Run values lie and whose they are.
void appendScopeRecord(WorkerRun& run) {
    std::u16string account;
    if (!platform::systemInfo().accountName(account)) account = u"?";
    std::u16string scope = run.parameter().perMachine ? u"per-machine " : u"per-user ";
    appendText(run.log, LOG_INSTALL_SCOPE, scope + account);
}

}  // namespace

void prepareFolders(WorkerRun& run) {
    copyText(run.log.root, viewOf(run.parameter().installRoot));
    copyText(run.log.company, viewOf(run.config.company));
    copyText(run.log.product, viewOf(run.config.product));
    appendIdentityRecord(run.log, run.config.identity);
    appendScopeRecord(run);
    PackageRoot& root = run.tree();
    // Without a composed target, every file would land in the drive's root: refuse instead.
    if (!joinPath(root.targetPath, viewOf(run.parameter().installRoot),
                  viewOf(run.config.company))) {
        return;
    }
    if (!secureFolder(run, root.targetPath)) {
        return refuseFolder(run, viewOf(root.targetPath), Refusal::OthersCanChange);
    }
    copyText(root.name, viewOf(run.config.product));
    TextBuffer productFolder;
    if (!joinPath(productFolder, viewOf(root.targetPath), viewOf(root.name))) {
        root.targetPath[0] = 0;
        return;
    }
    bool made = !platform::files().exists(productFolder);
    if (!secureFolder(run, productFolder)) {
        return refuseFolder(run, viewOf(productFolder), Refusal::OthersCanChange);
    }
    if (!holdProductFolder(run, productFolder, made)) return;
    copyText(root.targetPath, viewOf(productFolder));
    run.targetReady = true;
    createTargetFolders(root);
}

void stopRunningServices(WorkerRun& run) {
    for (ServiceEntry* s = run.config.services; s; s = s->next) {
        TextBuffer name;
        serviceNameOfFile(*s->file, name);
        if (!serviceExists(name)) continue;
        reportProgress(run, ST_STOPPING_SERVICE, name, 50);
        stopServiceByName(name);
    }
}

void closeRunningPrograms(WorkerRun& run) {
    if (!run.targetReady) return;
    for (FileNode* f = run.tree().allFiles; f && run.running(); f = f->nextInAll) {
        TextBuffer path;
        // The name first: only a program can be running, and asking the disk costs more.
        if (targetPathOf(*f, path) && isExePath(path) && platform::files().exists(path)) {
            closeProgram(path);
        }
    }
}

namespace {

// Whatever stands at a file's name now is no file of this installation (an earlier one's were
// removed with it): a file a user put there while the folder was theirs, a second name of
// another file, a link. Written into, it would keep its owner and access list, or change the
// other file; it goes first, and the new file is made afresh with the folder's access list.
bool clearPlace(const TextBuffer& path) {
    if (!platform::files().exists(path)) return true;
    return platform::files().deleteFile(path) == platform::DeleteResult::Deleted;
}

}  // namespace

void copyFiles(WorkerRun& run) {
    for (FileNode* f = run.tree().allFiles; f && run.running(); f = f->nextInAll) {
        TextBuffer path;
        if (!run.targetReady || !targetPathOf(*f, path)) {
            packagePathOf(*f, path);
            sendStatus(run, ST_FILE_ERROR, path);
            run.stop();
            break;
        }
        reportProgress(run, ST_COPYING_FILE, path, 50);
        if (!clearPlace(path) || !writePackageFile(*f, path)) {
            sendStatus(run, ST_FILE_ERROR, path);
            run.stop();
            break;
        }
        appendText(run.log, LOG_FILE, viewOf(path));
    }
}

// Each step below records a change before making it and takes the record back when the change
// did not happen: memory running out in the middle of a change must still leave the rollback a
// record of it.
void writeProductKeyStep(WorkerRun& run) {
    TextBuffer keyPath;
    if (!productKeyPathOf(run.config.identity, keyPath)) return;
    std::vector<std::uint8_t> record =
        keyRecordOf(platform::RegistryRoot::LocalMachine, viewOf(keyPath));
    appendRecord(run.log, LOG_REGISTRY_KEY, record.data(), record.size());
    if (!writeProductKey(run.config, nullptr)) dropLastRecord(run.log);
}

void createServices(WorkerRun& run) {
    for (ServiceEntry* s = run.config.services; s && run.running(); s = s->next) {
        TextBuffer name, path;
        TakenName taken;
        serviceNameOfFile(*s->file, name);
        if (!serviceIsFree(name, run.evidence, taken)) {
            refuseTaken(run, taken);
            break;
        }
        if (serviceExists(name)) {
            reportProgress(run, ST_REMOVING_SERVICE, name, 50);
            deleteServiceByName(name);
        }
        bool composed = targetOf(s->file, path);
        if (!composed) packagePathOf(*s->file, path);
        reportProgress(run, ST_INSTALLING_SERVICE, path, 50);
        appendText(run.log, LOG_SERVICE, viewOf(path));
        if (!composed || !createService(name, path, s->description)) {
            dropLastRecord(run.log);
            sendStatus(run, ST_SERVICE_ERROR, path);
            run.stop();
            break;
        }
        // Whoever finds a service of this name later can tell whose it is.
        platform::services().setOwner(name, run.config.identity.settingsKey);
    }
}
