// An earlier installation of the same product is removed through its own uninstall.log, found
// first by the product's key, then by its Uninstall entry, then at the folder the new
// installation is about to use. A log
// of another product is never acted on.
#include "engine/ProductRemoval.h"
#include "engine/RegistryProductKey.h"
#include "engine/RegistryUninstallEntry.h"
#include "engine/Services.h"
#include "engine/SetupLog.h"
#include "engine/UninstallJob.h"
#include "engine/WorkerRun.h"
#include "platform/FileSystem.h"

namespace {

// False when the removal left something of that installation behind; `left` names it.
bool uninstallFromLog(WorkerRun& run, const char16_t* logPath, const char16_t* folder,
                      TextBuffer& left) {
    if (!platform::files().exists(logPath)) return true;
    UninstallJob job;
    bool whole = true;
    // A log that is not believed is no earlier installation this installer knows of: nothing is
    // said and nothing is done, as when there is no log at all.
    if (loadUninstallJob(job, logPath, &run.config.identity) && job.trust.believed) {
        reportProgress(run, ST_PREVIOUS_VERSION, folder);
        startUninstallJob(job);
        waitUninstallJob(job);
        std::vector<std::u16string> remaining = whatRemovalLeft(*job.log, job.trust);
        if (!remaining.empty()) {
            whole = false;
            copyText(left, remaining.front());
        }
        logEvent(whole ? "previous version removed" : "previous version not removed completely",
                 viewOf(folder));
    } else if (platform::files().exists(logPath)) {
        logEvent("previous version's log not acted on (unreadable or not trusted)",
                 viewOf(logPath));
    }
    freeUninstallJob(job);
    return whole;
}

bool removeByProductKey(WorkerRun& run, TextBuffer& left) {
    PreviousInstallation previous;
    if (!readPreviousInstallation(run.config.identity, previous)) return true;
    bool whole = true;
    if (previous.hasServicePath) {
        TextBuffer folder, logPath;
        if (copyText(folder, parentOf(viewOf(previous.servicePath))) &&
            joinPath(logPath, viewOf(folder), u"uninstall.log")) {
            whole = uninstallFromLog(run, logPath, folder, left);
        }
    }
    if (previous.hasServiceName) deleteServiceByName(previous.serviceName);
    return whole;
}

// A product without a service leaves no program's path in its key: its Uninstall entry still
// leads to the folder it went into when the new installation goes elsewhere (/D=), and the
// entry is about to be overwritten, which would leave that installation with no way out.
bool removeByUninstallEntry(WorkerRun& run, TextBuffer& left) {
    TextBuffer folder, logPath;
    if (!readUninstallLocation(run.config.product, folder) ||
        !joinPath(logPath, viewOf(folder), u"uninstall.log")) {
        return true;
    }
    return uninstallFromLog(run, logPath, folder, left);
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

bool removeByLocation(WorkerRun& run, TextBuffer& left) {
    TextBuffer folder;
    if (!composeLogPath(run, folder)) return true;
    run.haveLogPath = true;
    return uninstallFromLog(run, run.logPath, folder, left);
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

bool removePreviousVersions(WorkerRun& run, TextBuffer& left) {
    return removeByProductKey(run, left) && removeByUninstallEntry(run, left) &&
           removeByLocation(run, left);
}
