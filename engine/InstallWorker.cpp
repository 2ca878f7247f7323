#include "engine/InstallWorker.h"

#include <new>

#include "engine/WorkerRun.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"

bool startInstallWorker(InstallConfig& config, const WorkerParameter& parameter) {
    // Two workers on one configuration would race over every file, service and log record:
    // while one runs, no other starts (its handle is not dropped either).
    if (config.workerActive) return false;
    dropWorkerThread(config);
    config.worker = parameter;
    config.completed = false;
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
}

// Memory ran out in a step: the installation cannot be trusted to go on, so it is undone like
// one whose files could not be written, and says so.
void stopForMemory(WorkerRun& run) {
    run.stop();
    sendStatus(run, ST_FILE_ERROR, run.parameter().installRoot);
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
    platform::systemInfo().enableDebugPrivilege();
    if (!installFolderIsSafe(run) || !installFolderIsFree(run)) {
        run.stop();
        sendStatus(run, ST_FILE_ERROR, run.refusal.c_str());
        sendStatus(run, ST_WORKER_DONE);
        return;
    }
    TextBuffer left;
    if (!removePreviousVersions(run, left)) {
        run.stop();
        sendStatus(run, ST_PREVIOUS_VERSION_LEFT, left);
        sendStatus(run, ST_WORKER_DONE);
        return;
    }
    try {
        runSteps(run);
    } catch (const std::bad_alloc&) {
        stopForMemory(run);
    }
    try {
        if (run.running()) {
            finishInstallation(run);
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

void sendStatus(WorkerRun& run, StatusCode code, const char16_t* text) {
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

void refuse(WorkerRun& run, std::u16string_view folder, Refusal why) {
    run.refusal = refusalText(run.parameter().language, folder, why);
}

void reportProgress(WorkerRun& run, StatusCode code, const char16_t* text, unsigned pauseMs) {
    if (!run.parameter().window || run.parameter().quiet) return;
    sendStatus(run, code, text);
    if (pauseMs) platform::clock().sleep(pauseMs);
}

void pauseUnlessQuiet(WorkerRun& run, unsigned ms) {
    if (!run.parameter().quiet) platform::clock().sleep(ms);
}

void serviceNameOfFile(const FileNode& file, TextBuffer& name) {
    copyText(name, stemOf(viewOf(file.name)));
}
