// The end of a successful installation: data folder, panel file, services started, the log
// saved, the product's programs launched. Nothing here looks at the running flag any more.
#include "common/Names.h"
#include "engine/CommandLine.h"
#include "engine/DataFolder.h"
#include "engine/PanelConfig.h"
#include "engine/RunProgram.h"
#include "engine/Services.h"
#include "engine/SetupLog.h"
#include "engine/WorkerRun.h"
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/ServiceManager.h"
#include "platform/SystemInfo.h"

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
    markDataFolder(identity);
    const WorkerParameter& p = run.parameter();
    Endpoint chosen = p.hasEndpoint      ? p.endpoint
                      : run.keptEndpoint ? run.endpoint
                                         : kDefaultEndpoint;
    logEvent(p.hasEndpoint      ? "panel endpoint given"
             : run.keptEndpoint ? "panel endpoint kept from the earlier PanelConfig.ini"
                                : "panel endpoint: the default",
             endpointText(chosen));
    PanelEndpoint endpoint{std::uint16_t(p.language & 0xFFFF), {}, chosen.port};
    for (int i = 0; i < 4; ++i) endpoint.address[i] = chosen.address[i];
    writePanelConfigBelow(documents.c_str(), panelConfig, endpoint);
}

// The service an older version of the demo product ran; another product has no business with
// a service of that name.
void removeOlderService(const WorkerRun& run) {
    if (!sameProduct(run.config.identity, demoIdentity())) return;
    const char16_t* older = u"VantrelScreenService";
    std::u16string owner;
    if (!serviceExists(older)) return;
    // One that says whose it is, and is another product's, stays.
    if (platform::services().queryOwner(older, owner) &&
        !sameIgnoringAsciiCase(owner, u"KorvelServerV5")) {
        return;
    }
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

const char16_t* launchArguments(const WorkerRun& run) {
    return run.parameter().showPanel ? u"" : u"-h";
}

bool launchedAfterInstall(const WorkerRun& run, std::u16string_view path) {
    for (FileRef* r = run.config.launchAfterInstall; r; r = r->next) {
        TextBuffer target;
        if (targetPathOf(*r->file, target) && sameIgnoringAsciiCase(viewOf(target), path)) {
            return true;
        }
    }
    return false;
}

// LocalSystem's programs run in session 0, where no user sees them: the product's programs are
// never started as LocalSystem. Its Run values start them at each user's next logon.
void launchPrograms(WorkerRun& run) {
    bool asSystem = platform::systemInfo().runsAsLocalSystem();
    for (FileRef* r = run.config.launchAfterInstall; r; r = r->next) {
        TextBuffer path;
        if (!targetPathOf(*r->file, path)) continue;
        if (asSystem) {
            logEvent("not started as LocalSystem: it starts at each user's next logon",
                     viewOf(path));
            continue;
        }
        launch(path, launchArguments(run));
        pauseUnlessQuiet(run, 500);
    }
}

// For another account, from LocalSystem: with the token of the process that was closed, in
// that account's session.
bool startForAccount(const ClosedProgram& closed, const char16_t* arguments) {
    std::u16string command;
    TextBuffer folder;
    platform::StartedProcess started;
    if (!closed.owner.token || !quotedCommandLine(closed.path, arguments, command) ||
        !copyText(folder, parentOf(closed.path)) ||
        !platform::processes().createAsUser(closed.owner.token, command.c_str(), folder, started)) {
        return false;
    }
    platform::processes().close(started.thread);
    platform::processes().close(started.process);
    return true;
}

// The programs the installation closed are started again for the accounts they belonged to,
// as far as this run can.
void restartClosedPrograms(WorkerRun& run) {
    bool asSystem = platform::systemInfo().runsAsLocalSystem();
    for (const ClosedProgram& closed : run.closed.list) {
        std::string whose = closed.owner.account.empty() ? std::string("an account it cannot name")
                                                         : utf16ToUtf8(closed.owner.account);
        TextBuffer path;
        bool started = false;
        if (!copyText(path, closed.path) || !platform::files().exists(path) ||
            closed.owner.isLocalSystem) {
            started = false;
        } else if (closed.owner.isThisAccount && !asSystem) {
            started = launchedAfterInstall(run, closed.path) ||
                      runProgram(path, launchArguments(run), kNoWait);
        } else if (asSystem) {
            started = startForAccount(closed, launchArguments(run));
        }
        logEvent(started ? "started again for " + whose
                         : "not started again (it starts at the next logon of " + whose + ")",
                 closed.path);
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
    restartClosedPrograms(run);
}
