// The end of a successful installation: data folder, panel file, services started, the log
// saved, the product's programs launched. Nothing here looks at the running flag any more.
#include "engine/DataFolder.h"
#include "engine/PanelConfig.h"
#include "engine/RunProgram.h"
#include "engine/Services.h"
#include "engine/SetupLog.h"
#include "engine/WorkerRun.h"
#include "platform/FileSystem.h"

namespace {

// Every user can write the data folder: it is emptied and refilled only through the operations
// that never follow a link, so a junction swapped in at any moment leads nowhere.
void renewDataFolder(WorkerRun& run) {
    const ProductIdentity& identity = run.config.identity;
    std::u16string documents;
    TextBuffer panelConfig;
    if (!panelConfigPathOf(identity, panelConfig) ||
        !platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents)) {
        return;
    }
    // From here on a rollback has the folder to remove: its old content is gone.
    run.dataFolderRenewed = true;
    deleteTreeBelow(documents.c_str(), viewOf(identity.dataFolder));
    platform::files().createFolderBelow(documents.c_str(), identity.dataFolder);
    PanelEndpoint endpoint{std::uint16_t(run.parameter().language & 0xFFFF), {127, 0, 0, 1}, 6550};
    writePanelConfigBelow(documents.c_str(), panelConfig, endpoint);
}

// The service an older version of the demo product ran; another product has no business with
// a service of that name.
void removeOlderService(const WorkerRun& run) {
    if (!sameProduct(run.config.identity, demoIdentity())) return;
    const char16_t* older = u"VantrelScreenService";
    if (!serviceExists(older)) return;
    stopServiceByName(older);
    deleteServiceByName(older);
}

void startServices(WorkerRun& run) {
    for (ServiceEntry* s = run.config.services; s; s = s->next) {
        TextBuffer name;
        serviceNameOfFile(*s->file, name);
        reportProgress(run, ST_STARTING_SERVICE, name, 500);
        startServiceByName(name);
        appendText(run.log, LOG_SERVICE_STARTED, viewOf(name));
    }
}

// Started and let go; the log says whether it started, as nothing else will.
void launch(const TextBuffer& path, const char16_t* arguments) {
    if (runProgram(path, arguments, kNoWait)) {
        logEvent(std::string("started the program") + (arguments[0] ? " with -h" : ""),
                 viewOf(path));
        return;
    }
    logEvent("error: the program could not be started: CreateProcessW (Windows error " +
                 std::to_string(lastSystemError()) + ")",
             viewOf(path));
}

void launchPrograms(WorkerRun& run) {
    const char16_t* arguments = run.parameter().showPanel ? u"" : u"-h";
    for (FileRef* r = run.config.launchAfterInstall; r; r = r->next) {
        TextBuffer path;
        if (targetPathOf(*r->file, path)) launch(path, arguments);
        pauseUnlessQuiet(run, 500);
    }
}

}  // namespace

void finishInstallation(WorkerRun& run) {
    renewDataFolder(run);
    removeOlderService(run);
    startServices(run);
    if (run.haveLogPath) run.logSaved = saveLog(run.log, run.logPath);
    reportProgress(run, ST_COMPLETE, nullptr, 3000);
    launchPrograms(run);
}
