// Undoing a cancelled or failed installation from its own log, last change first.
#include "engine/DataFolder.h"
#include "engine/RegistryKeyRecord.h"
#include "engine/RunProgram.h"
#include "engine/Services.h"
#include "engine/UndoRecord.h"
#include "engine/WorkerRun.h"
#include "package/FileRemoval.h"
#include "platform/FileSystem.h"

namespace {

void undoRecord(WorkerRun& run, const LogRecord& record) {
    TextBuffer text;
    if (record.type == LOG_REGISTRY_KEY) {
        removeKeyRecord(record);
        return;
    }
    if (!recordText(record, text)) return;
    switch (record.type) {
        case LOG_FILE:
            reportProgress(run, ST_DELETING_FILE, text);
            deleteFileWhenFree(text);
            break;
        case LOG_DRIVER_SCRIPT:
            reportProgress(run, ST_UNINSTALLING_DRIVER, text);
            runDriverScript(text, kDriverScriptLimitMs, driverScriptsRunNatively());
            pauseUnlessQuiet(run, 500);
            break;
        case LOG_SERVICE: {
            TextBuffer name;
            copyText(name, stemOf(viewOf(text)));
            sendStatus(run, ST_REMOVING_SERVICE, name);
            deleteServiceByName(name);
            break;
        }
        case LOG_SYSTEM_FILE:
            deleteFileWhenFree(text);
            break;
        default:
            undoSimpleRecord(record.type, text);
            break;
    }
}

}  // namespace

void rollBackInstallation(WorkerRun& run) {
    for (LogRecord* r = run.log.last; r; r = r->prev) {
        undoRecord(run, *r);
        pauseUnlessQuiet(run, 30);
    }
    if (run.dataFolderRenewed) removeDataFolder(run.config.identity);
    // The folders can go only once nothing holds them.
    run.hold.reset();
    const PackageRoot& root = run.tree();
    if (run.targetReady) removeEmptyFolders(root.targetPath);
    TextBuffer companyFolder;
    if (joinPath(companyFolder, viewOf(run.parameter().installRoot), viewOf(run.config.company))) {
        removeFolderWhenFree(companyFolder);
    }
    reportProgress(run, ST_CANCELLED, nullptr, 2000);
}
