#include "engine/InstallWorker.h"

#include <new>

#include "engine/SetupLog.h"
#include "engine/WorkerRun.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"
#include "text/ClaimMessages.h"

bool startInstallWorker(InstallConfig& config, const WorkerParameter& parameter) {
    // Two workers on one configuration would race over every file, service and log record:
    // while one runs, no other starts (its handle is not dropped either).
    if (config.workerActive) return false;
    dropWorkerThread(config);
    config.worker = parameter;
    config.completed = false;
    config.driverFailed = false;
    config.restartRequired = false;
    config.downgradeRefused = false;
    config.running = true;
    config.workerActive = true;
    config.workerThread = platform::threads().start([&config] { installWorker(config); });
    if (!config.workerThread) config.workerActive = false;
    return true;
}

namespace {

void runSteps(WorkerRun& run) {
    prepareFolders(run);
    stopRunningServices(run);
    closeRunningPrograms(run);
    copyFiles(run);
    writeProductKeyStep(run);
    orderDriverSets(run.config);
    runDriverScripts(run);
    createServices(run);
    createStartMenuShortcuts(run);
    writeDesktopMenus(run);
    copySystemFiles(run);
    createDesktopShortcuts(run);
    writeUninstallEntryStep(run);
    writeRunEntries(run);
    claimDataFolder(run);
}

// Memory ran out in a step: the installation cannot be trusted to go on, so it is undone like
// one whose files could not be written, and says so.
void stopForMemory(WorkerRun& run) {
    run.stop();
    sendStatus(run, ST_FILE_ERROR, run.parameter().installRoot);
}

// Ends the run before anything changed, with the reason in run.refusal.
bool refuseBeforeChanges(WorkerRun& run, StatusCode code) {
    run.stop();
    sendStatus(run, code, run.refusal.c_str());
    return false;
}

// The checks before anything is written: a refused folder, a newer version, a name another
// product holds, or an earlier installation that stayed in part, stops the run with nothing of
// this one to undo.
bool readyToInstall(WorkerRun& run) {
    platform::systemInfo().enableDebugPrivilege();
    if (!installFolderIsSafe(run) || !installFolderIsFree(run)) {
        return refuseBeforeChanges(run, ST_FILE_ERROR);
    }
    findEarlierInstallations(run);
    if (!versionMayReplace(run)) {
        run.config.downgradeRefused = true;
        return refuseBeforeChanges(run, ST_NEWER_VERSION);
    }
    if (!namesAreFree(run)) return refuseBeforeChanges(run, ST_NAME_TAKEN);
    keepEarlierEndpoint(run);
    noteRunningPrograms(run);
    TextBuffer left;
    if (!removePreviousVersions(run, left)) {
        run.stop();
        sendStatus(run, ST_PREVIOUS_VERSION_LEFT, left);
        return false;
    }
    return true;
}

// True when the installation is whole: finished, or at least removable through its saved log
// (what memory stopped is only the services' start or the programs' launch). False when it
// must be rolled back.
bool finished(WorkerRun& run) {
    try {
        finishInstallation(run);
        return true;
    } catch (const std::bad_alloc&) {
        if (run.logSaved) return true;
        stopForMemory(run);
        return false;
    }
}

// Memory running out must never leave the thread: the process would end with nothing undone.
bool readyOrStopped(WorkerRun& run) {
    try {
        return readyToInstall(run);
    } catch (const std::bad_alloc&) {
        stopForMemory(run);
        return false;
    }
}

void runInstallation(InstallConfig& config) {
    WorkerRun run(config);
    // A rejected package leaves no tree: there is nothing to install, and nothing to undo.
    if (!config.fileTree) {
        run.stop();
        sendStatus(run, ST_FILE_ERROR, config.worker.installRoot);
        sendStatus(run, ST_WORKER_DONE);
        return;
    }
    if (!readyOrStopped(run)) {
        sendStatus(run, ST_WORKER_DONE);
        return;
    }
    try {
        runSteps(run);
    } catch (const std::bad_alloc&) {
        stopForMemory(run);
    }
    try {
        if (run.running() && finished(run)) {
            config.completed = true;
        } else {
            rollBackInstallation(run);
        }
    } catch (const std::bad_alloc&) {
        config.completed = false;
    }
    sendStatus(run, ST_WORKER_DONE);
}

}  // namespace

int installWorker(InstallConfig& config) {
    runInstallation(config);
    config.workerActive = false;
    return 0;
}

namespace {

bool isErrorStatus(StatusCode code) {
    return code == ST_FILE_ERROR || code == ST_DRIVER_ERROR || code == ST_SERVICE_ERROR ||
           code == ST_PREVIOUS_VERSION_LEFT || code == ST_NAME_TAKEN || code == ST_NEWER_VERSION;
}

void deliver(WorkerRun& run, StatusCode code, const char16_t* text) {
    platform::StatusChannel* window = run.parameter().window;
    if (!window) return;
    if (!text) {
        window->send(code, nullptr);
        return;
    }
    // A refusal names the folder and why: longer than any path.
    if (text == run.refusal.c_str()) {
        window->send(code, text);
        return;
    }
    copyText(run.status, viewOf(text));
    window->send(code, run.status);
}

}  // namespace

void sendStatus(WorkerRun& run, StatusCode code, const char16_t* text) {
    // Read first: logging and sending make calls of their own.
    if (isErrorStatus(code)) {
        // What an earlier installation left is found by looking, not by a call that failed:
        // each removal that failed was logged with its own error.
        std::uint32_t error = code == ST_PREVIOUS_VERSION_LEFT ? kNoSystemError : lastSystemError();
        logError(code, text ? viewOf(text) : std::u16string_view(), error);
    } else {
        logStatus(code, text ? viewOf(text) : std::u16string_view());
    }
    deliver(run, code, text);
}

void refuse(WorkerRun& run, std::u16string_view folder, Refusal why) {
    run.refusal = refusalText(run.parameter().language, folder, why);
}

void refuseTaken(WorkerRun& run, const TakenName& taken) {
    run.refusal = takenText(run.parameter().language, taken.item, taken.owner);
    sendStatus(run, ST_NAME_TAKEN, run.refusal.c_str());
    run.stop();
}

void reportProgress(WorkerRun& run, StatusCode code, const char16_t* text, unsigned pauseMs) {
    // A run without a window still leaves its progress in the log.
    logStatus(code, text ? viewOf(text) : std::u16string_view());
    if (!run.parameter().window || run.parameter().quiet) return;
    deliver(run, code, text);
    if (pauseMs) platform::clock().sleep(pauseMs);
}

void pauseUnlessQuiet(WorkerRun& run, unsigned ms) {
    if (!run.parameter().quiet) platform::clock().sleep(ms);
}

void serviceNameOfFile(const FileNode& file, TextBuffer& name) {
    copyText(name, stemOf(viewOf(file.name)));
}
