#include "engine/DataFolder.h"
#include "engine/ProgramShutdown.h"
#include "engine/RegistryKeyRecord.h"
#include "engine/RunProgram.h"
#include "engine/Services.h"
#include "engine/UndoRecord.h"
#include "engine/UninstallJob.h"
#include "package/FileRemoval.h"
#include "package/FileTree.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

namespace {

void closeIfProgram(const TextBuffer& path) {
    if (platform::files().exists(path) && isExePath(path)) closeProgram(path);
}

void firstPass(const UninstallLog& log, const FoundLogTrust& trust) {
    for (const LogRecord* r = log.last; r; r = r->prev) {
        TextBuffer text;
        if ((r->type != LOG_FILE && r->type != LOG_SERVICE) || !recordText(*r, text) ||
            !mayUndo(*r, trust)) {
            continue;
        }
        if (r->type == LOG_FILE) closeIfProgram(text);
        if (r->type == LOG_SERVICE) {
            TextBuffer name;
            if (serviceNameOf(viewOf(text), name)) stopServiceByName(name);
        }
    }
}

void undoRecord(const LogRecord& r, const FoundLogTrust& trust) {
    if (!mayUndo(r, trust)) return;
    TextBuffer text, name;
    if (r.type == LOG_REGISTRY_KEY) {
        removeKeyRecord(r);
        return;
    }
    if (!recordText(r, text)) return;
    switch (r.type) {
        case LOG_FILE:
            if (!platform::files().exists(text)) break;
            closeIfProgram(text);
            deleteFileWhenFree(text);
            break;
        case LOG_DRIVER_SCRIPT:
            runDriverScript(text, kDriverScriptLimitMs, driverScriptsRunNatively());
            break;
        case LOG_SERVICE:
            if (serviceNameOf(viewOf(text), name)) deleteServiceByName(name);
            break;
        case LOG_SYSTEM_FILE:
            deleteFileWhenFree(text);
            break;
        default:
            undoSimpleRecord(r.type, text);
            break;
    }
}

// The product folders the header names (only what ends up empty goes) and the shared data
// folder, which is emptied without following any link a user put in it.
void removeFolders(const FoundLogTrust& trust) {
    removeEmptyFolders(trust.productFolder);
    TextBuffer company;
    if (copyText(company, parentOf(viewOf(trust.productFolder)))) {
        removeFolderWhenFree(company);
    }
    std::u16string documents;
    if (platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents)) {
        deleteTreeBelow(documents.c_str(), kDataFolderName);
    }
}

}  // namespace

int uninstallWorker(UninstallJob& job) {
    platform::systemInfo().enableDebugPrivilege();
    if (job.log && job.trust.believed) {
        UninstallLog& log = *job.log;
        firstPass(log, job.trust);
        for (LogRecord* r = log.last; r; r = r->prev) {
            log.cursor = r;
            undoRecord(*r, job.trust);
            platform::clock().sleep(30);
        }
        removeFolders(job.trust);
    }
    platform::clock().sleep(500);
    return 0;
}

namespace {
void endRunningWorker(UninstallJob& job) {
    if (!job.thread) return;
    job.thread->wait();
    job.thread.reset();
}
}  // namespace

bool loadUninstallJob(UninstallJob& job, const char16_t* path) {
    endRunningWorker(job);
    job.log = std::make_unique<UninstallLog>();
    job.trust = FoundLogTrust{};
    if (loadLog(*job.log, path)) {
        job.trust = judgeFoundLog(*job.log, path);
        return true;
    }
    job.log.reset();
    return false;
}

bool startUninstallJob(UninstallJob& job) {
    endRunningWorker(job);
    job.thread = platform::threads().start([&job] { uninstallWorker(job); });
    return true;
}

void waitUninstallJob(UninstallJob& job) {
    endRunningWorker(job);
}

void freeUninstallJob(UninstallJob& job) {
    endRunningWorker(job);
    job.log.reset();
}
