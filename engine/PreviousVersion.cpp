// Earlier installations of the same product, found by its identity before anything changes:
// through its settings key (the service program's folder), its Uninstall entry (the folder it
// names), and at the folder the new installation is about to use. Each believed log is loaded
// once and kept, with its folders held, until the removal runs it; a log of another product is
// never acted on.
#include "common/Names.h"
#include "engine/ProductRemoval.h"
#include "engine/RegistryProductKey.h"
#include "engine/RegistryUninstallEntry.h"
#include "engine/Services.h"
#include "engine/SetupLog.h"
#include "engine/UninstallJob.h"
#include "engine/WorkerRun.h"
#include "platform/FileSystem.h"
#include "platform/ServiceManager.h"

namespace {

void gatherEvidence(ClaimEvidence& evidence, const UninstallJob& job) {
    evidence.folders.emplace_back(viewOf(job.trust.productFolder));
    for (const LogRecord* r = job.log->first; r; r = r->next) {
        TextBuffer path;
        if (r->type == LOG_SYSTEM_FILE && recordText(*r, path)) {
            evidence.systemFiles.emplace_back(viewOf(path));
        }
    }
}

// The log in `folderText`, loaded once: kept when it is a believed log of this product.
void consider(WorkerRun& run, std::u16string_view folderText) {
    TextBuffer folder, logPath;
    if (!copyText(folder, folderText) || !joinPath(logPath, viewOf(folder), u"uninstall.log") ||
        !platform::files().exists(logPath)) {
        return;
    }
    for (const EarlierInstallation& e : run.earlier) {
        if (sameIgnoringAsciiCase(e.folder, viewOf(folder))) return;
    }
    auto job = std::make_unique<UninstallJob>();
    // A log that is not believed is no earlier installation this installer knows of: nothing is
    // done with it, as when there is no log at all.
    if (loadUninstallJob(*job, logPath, &run.config.identity) && job->trust.believed) {
        gatherEvidence(run.evidence, *job);
        run.earlier.push_back({std::u16string(viewOf(folder)), std::move(job)});
        return;
    }
    freeUninstallJob(*job);
    logEvent("previous version's log not acted on (unreadable or not trusted)", viewOf(logPath));
}

// The folder this installation is about to use, named after the product: the files of an
// earlier installation of the same package lie there, and so does its log, whatever the
// package's root folder is called.
bool composeLogPath(WorkerRun& run, TextBuffer& folder) {
    const WorkerParameter& p = run.parameter();
    return joinPath(folder, viewOf(p.installRoot), viewOf(run.config.company),
                    viewOf(run.config.product)) &&
           joinPath(run.logPath, viewOf(folder), u"uninstall.log");
}

}  // namespace

bool installFolderIsFree(WorkerRun& run) {
    TextBuffer folder;
    if (!composeLogPath(run, folder) || !platform::files().exists(run.logPath)) return true;
    UninstallJob job;
    bool other = loadUninstallJob(job, run.logPath, &run.config.identity) && job.trust.otherProduct;
    freeUninstallJob(job);
    if (other) refuse(run, viewOf(folder), Refusal::AnotherProduct);
    return !other;
}

void findEarlierInstallations(WorkerRun& run) {
    ClaimEvidence& evidence = run.evidence;
    const ProductIdentity& identity = run.config.identity;
    evidence.identity = identity;
    TextBuffer newFolder;
    run.haveLogPath = composeLogPath(run, newFolder);
    if (run.haveLogPath) evidence.folders.emplace_back(viewOf(newFolder));
    // The settings key is this product's by its name: the service program it names is ours.
    PreviousInstallation key;
    if (readPreviousInstallation(identity, key)) {
        if (key.hasServicePath) {
            std::u16string_view folder = parentOf(viewOf(key.servicePath));
            evidence.folders.emplace_back(folder);
            consider(run, folder);
        }
        if (key.hasServiceName) copyText(run.earlierServiceName, viewOf(key.serviceName));
    }
    // A product without a service leaves no program's path in its key: its Uninstall entry
    // still leads to the folder it went into when the new installation goes elsewhere (/D=).
    // The entry is named after the identity; earlier installers named it after the product.
    TextBuffer location;
    const char16_t* entries[] = {identity.settingsKey, run.config.product};
    for (const char16_t* entry : entries) {
        if (readUninstallLocation(entry, location)) consider(run, viewOf(location));
    }
    if (run.haveLogPath) consider(run, viewOf(newFolder));
}

bool removePreviousVersions(WorkerRun& run, TextBuffer& left) {
    bool whole = true;
    for (EarlierInstallation& e : run.earlier) {
        if (!whole) break;
        UninstallJob& job = *e.job;
        reportProgress(run, ST_PREVIOUS_VERSION, e.folder.c_str());
        startUninstallJob(job);
        waitUninstallJob(job);
        std::vector<std::u16string> remaining = whatRemovalLeft(*job.log, job.trust);
        whole = remaining.empty();
        if (!whole) copyText(left, remaining.front());
        for (const std::u16string& note : leftInOtherAccounts(*job.log)) {
            logEvent("left in another account", note);
        }
        logEvent(whole ? "previous version removed" : "previous version not removed completely",
                 e.folder);
        freeUninstallJob(job);
    }
    run.earlier.clear();
    // The settings key is this product's by its name: the service it names went with an earlier
    // installation of it, unless the service says it is another product's.
    std::u16string owner;
    if (whole && run.earlierServiceName[0] && serviceExists(run.earlierServiceName)) {
        if (platform::services().queryOwner(run.earlierServiceName, owner) &&
            !sameIgnoringAsciiCase(owner, viewOf(run.config.identity.settingsKey))) {
            logEvent("earlier service left: it is another product's",
                     std::u16string(viewOf(run.earlierServiceName)) + u" " + owner);
        } else {
            deleteServiceByName(run.earlierServiceName);
        }
    }
    return whole;
}
