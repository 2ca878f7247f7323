#include <new>

#include "engine/DataFolder.h"
#include "engine/ProgramShutdown.h"
#include "engine/RegistryKeyRecord.h"
#include "engine/RunProgram.h"
#include "engine/Services.h"
#include "engine/SetupLog.h"
#include "engine/UndoRecord.h"
#include "engine/UninstallJob.h"
#include "package/FileRemoval.h"
#include "package/FileTree.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Security.h"
#include "platform/SystemInfo.h"

namespace {

const char* folderFaultText(platform::FolderFault fault) {
    switch (fault) {
        case platform::FolderFault::Missing:
            return "missing";
        case platform::FolderFault::Link:
            return "a link";
        case platform::FolderFault::ChangeableByOthers:
            return "changeable by others";
        default:
            return "unreadable";
    }
}

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

// The record's path below the product folder (the trust policy has checked that it lies there).
bool relativeToProduct(const TextBuffer& path, const FoundLogTrust& trust, TextBuffer& relative) {
    std::size_t folder = textLength(trust.productFolder, kTextUnits);
    std::u16string_view whole = viewOf(path);
    return whole.size() > folder + 1 && copyText(relative, whole.substr(folder + 1));
}

// Deleted through a handle on the file itself below the held product folder: a link swapped in
// on the way is never followed (only a link at the name goes, itself). A file still in use for a
// moment is tried again.
void deleteProductFile(const TextBuffer& path, const FoundLogTrust& trust) {
    TextBuffer relative;
    if (!platform::files().exists(path) || !relativeToProduct(path, trust, relative)) return;
    closeIfProgram(path);
    if (!removeBelowWhenFree(trust.productFolder, relative)) {
        logEvent("could not remove a file of the installation (Windows error " +
                     std::to_string(lastSystemError()) + ")",
                 viewOf(path));
    }
}

// Run only while the script and every folder on the way to it are held, each judged through its
// own handle: no link, nobody else able to write them.
void runProductScript(const TextBuffer& path, const FoundLogTrust& trust) {
    TextBuffer relative;
    if (path[0] == 0) {
        runProgram(path, u"", kDriverScriptLimitMs);  // the empty command starts nothing
        return;
    }
    if (!relativeToProduct(path, trust, relative)) return;
    platform::Held script = platform::security().holdTrustedFile(trust.productFolder, relative);
    if (script.sound()) runDriverScript(path, kDriverScriptLimitMs, driverScriptsRunNatively());
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
            deleteProductFile(text, trust);
            break;
        case LOG_DRIVER_SCRIPT:
            runProductScript(text, trust);
            break;
        case LOG_SERVICE:
            if (serviceNameOf(viewOf(text), name) && serviceExists(name) &&
                !deleteServiceByName(name)) {
                logEvent("could not remove the service (Windows error " +
                             std::to_string(lastSystemError()) + ")",
                         viewOf(name));
            }
            break;
        case LOG_SYSTEM_FILE:
            if (platform::files().exists(text) && !deleteFileWhenFree(text)) {
                logEvent("could not remove a file of the installation (Windows error " +
                             std::to_string(lastSystemError()) + ")",
                         viewOf(text));
            }
            break;
        default:
            undoSimpleRecord(r.type, text);
            break;
    }
}

// Memory running out in one part of the removal leaves that part, as a file that cannot be
// deleted stays: the other parts still go, and what stayed is found and reported by the caller.
template <typename Part>
void removeOrLeave(Part part) {
    try {
        part();
    } catch (const std::bad_alloc&) {
    }
}

// The product folders the header names (only what ends up empty goes) and the shared data
// folder, which is emptied without following any link a user put in it.
void removeFolders(const FoundLogTrust& trust) {
    removeOrLeave([&trust] { removeEmptyFolders(trust.productFolder); });
    TextBuffer company;
    if (copyText(company, parentOf(viewOf(trust.productFolder)))) {
        removeOrLeave([&company] { removeFolderWhenFree(company); });
    }
    removeOrLeave([&trust] { removeDataFolder(trust.identity); });
}

void removeInstallation(UninstallJob& job) {
    platform::systemInfo().enableDebugPrivilege();
    if (job.log && job.trust.believed) {
        UninstallLog& log = *job.log;
        firstPass(log, job.trust);
        for (LogRecord* r = log.last; r; r = r->prev) {
            log.cursor = r;
            removeOrLeave([r, &job] { undoRecord(*r, job.trust); });
            platform::clock().sleep(30);
        }
        // The folders can go only once nothing holds them.
        job.hold.reset();
        removeFolders(job.trust);
    }
}

}  // namespace

int uninstallWorker(UninstallJob& job) {
    // Memory running out stops the removal where it is: what stayed is found and reported by
    // the caller, as for a file that could not be deleted; it must never end the process.
    try {
        removeInstallation(job);
    } catch (const std::bad_alloc&) {
        job.hold.reset();
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

namespace {

bool loadJob(UninstallJob& job, const char16_t* path, const ProductIdentity* product) {
    job.log = std::make_unique<UninstallLog>();
    job.trust = FoundLogTrust{};
    job.hold.reset();
    // Held before the log is read: what is read, and later acted on, lies in the folders judged.
    TextBuffer folder;
    platform::Held held;
    held.fault = platform::FolderFault::Unreadable;
    std::uint32_t heldError = 0;
    if (copyText(folder, parentOf(viewOf(path)))) {
        held = platform::security().holdFolderChain(folder);
        heldError = held.sound() ? 0 : lastSystemError();
    }
    if (loadLog(*job.log, path)) {
        job.trust = judgeFoundLog(*job.log, path, product);
        if (held.sound()) {
            job.hold = std::move(held.hold);
        } else {
            job.trust.believed = job.trust.otherProduct = false;
            job.trust.doubt = "its folder, or one above it, could not be held as it is";
            logEvent(std::string("a folder on the way to the uninstall log is ") +
                         folderFaultText(held.fault) + " (Windows error " +
                         std::to_string(heldError) + ")",
                     held.atFault);
        }
        return true;
    }
    job.log.reset();
    return false;
}

}  // namespace

bool loadUninstallJob(UninstallJob& job, const char16_t* path, const ProductIdentity* product) {
    endRunningWorker(job);
    // A log too large for the memory left (anyone may have put a huge one there) is a log
    // that cannot be read.
    try {
        return loadJob(job, path, product);
    } catch (const std::bad_alloc&) {
        job.log.reset();
        job.trust = FoundLogTrust{};
        job.hold.reset();
        return false;
    }
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
    job.hold.reset();
    job.log.reset();
}
