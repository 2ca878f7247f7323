// An earlier installation of the same product is removed through its own uninstall.log, found
// first by the product's key and then at the folder the new installation is about to use. A log
// of another product is never acted on.
#include "engine/RegistryProductKey.h"
#include "engine/Services.h"
#include "engine/UninstallJob.h"
#include "engine/WorkerRun.h"
#include "platform/FileSystem.h"

namespace {

void uninstallFromLog(WorkerRun& run, const char16_t* logPath, const char16_t* folder) {
    if (!platform::files().exists(logPath)) return;
    UninstallJob job;
    // A log that is not believed is no earlier installation this installer knows of: nothing is
    // said and nothing is done, as when there is no log at all.
    if (loadUninstallJob(job, logPath, &run.config.identity) && job.trust.believed) {
        reportProgress(run, ST_PREVIOUS_VERSION, folder);
        startUninstallJob(job);
        waitUninstallJob(job);
    }
    freeUninstallJob(job);
}

void removeByProductKey(WorkerRun& run) {
    PreviousInstallation previous;
    if (!readPreviousInstallation(run.config.identity, previous)) return;
    if (previous.hasServicePath) {
        TextBuffer folder, logPath;
        if (copyText(folder, parentOf(viewOf(previous.servicePath))) &&
            joinPath(logPath, viewOf(folder), u"uninstall.log")) {
            uninstallFromLog(run, logPath, folder);
        }
    }
    if (previous.hasServiceName) deleteServiceByName(previous.serviceName);
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

void removeByLocation(WorkerRun& run) {
    TextBuffer folder;
    if (!composeLogPath(run, folder)) return;
    run.haveLogPath = true;
    uninstallFromLog(run, run.logPath, folder);
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

void removePreviousVersions(WorkerRun& run) {
    removeByProductKey(run);
    removeByLocation(run);
}
