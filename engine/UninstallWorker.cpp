#include "engine/ProgramShutdown.h"
#include "engine/RegistryKeyRecord.h"
#include "engine/RunProgram.h"
#include "engine/Services.h"
#include "engine/UndoRecord.h"
#include "engine/UninstallJob.h"
#include "package/FileTree.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"

namespace {

bool sameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

// A path component "." or ".." (with either separator) could climb out of the folder.
bool climbsOut(std::u16string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == u'\\' || path[i] == u'/') {
            std::u16string_view part = path.substr(start, i - start);
            if (part == u"." || part == u"..") return true;
            start = i + 1;
        }
    }
    return false;
}

struct Trust {
    TextBuffer productFolder{};
    TextBuffer systemFolder{};
    bool haveProduct = false;
    bool haveSystem = false;

    bool product(const TextBuffer& path) const {
        return haveProduct && isInsideFolder(viewOf(path), viewOf(productFolder));
    }
    bool system(const TextBuffer& path) const {
        return haveSystem && isInsideFolder(viewOf(path), viewOf(systemFolder)) &&
               viewOf(path).find(u'\\', textLength(systemFolder) + 1) == std::u16string_view::npos;
    }
};

// The header is part of the file and could name any folder: it is only believed when it names
// the folder the log was actually found in.
Trust trustOf(const UninstallLog& log, const TextBuffer& logFolder) {
    Trust t;
    t.haveProduct =
        joinPath(t.productFolder, viewOf(log.root), viewOf(log.company), viewOf(log.product)) &&
        logFolder[0] != 0 && sameIgnoringAsciiCase(viewOf(t.productFolder), viewOf(logFolder));
    std::u16string system;
    t.haveSystem = platform::files().specialFolder(platform::SpecialFolder::System, system) &&
                   copyText(t.systemFolder, system);
    return t;
}

void closeIfProgram(const TextBuffer& path) {
    if (platform::files().exists(path) && isExePath(path)) closeProgram(path);
}

void firstPass(const UninstallLog& log, const Trust& trust) {
    for (const LogRecord* r = log.last; r; r = r->prev) {
        TextBuffer text;
        if (!recordText(*r, text)) continue;
        if (r->type == LOG_FILE && trust.product(text)) closeIfProgram(text);
        if (r->type == LOG_SERVICE && trust.product(text)) {
            TextBuffer name;
            copyText(name, stemOf(viewOf(text)));
            stopServiceByName(name);
        }
    }
}

void undoRecord(const LogRecord& r, const Trust& trust) {
    TextBuffer text, name;
    if (r.type == LOG_REGISTRY_KEY) {
        removeKeyRecord(r);
        return;
    }
    if (!recordText(r, text)) return;
    switch (r.type) {
        case LOG_FILE:
            if (!trust.product(text) || !platform::files().exists(text)) break;
            closeIfProgram(text);
            platform::files().deleteFile(text);
            break;
        case LOG_DRIVER_SCRIPT:
            // An empty command line starts nothing, as it always has.
            if (text[0] == 0 || trust.product(text)) runProgram(text, u"", kDriverScriptLimitMs);
            break;
        case LOG_SERVICE:
            if (!trust.product(text)) break;
            copyText(name, stemOf(viewOf(text)));
            deleteServiceByName(name);
            break;
        case LOG_SYSTEM_FILE:
            if (trust.system(text)) platform::files().deleteFile(text);
            break;
        default:
            undoSimpleRecord(r.type, text);
            break;
    }
}

void removeFolders(const UninstallLog& log) {
    TextBuffer folder;
    if (joinPath(folder, viewOf(log.root), viewOf(log.company), viewOf(log.product))) {
        removeEmptyFolders(folder);
    }
    if (joinPath(folder, viewOf(log.root), viewOf(log.company))) {
        platform::files().removeFolder(folder);
    }
    std::u16string documents;
    if (platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents) &&
        joinPath(folder, documents, u"Vantrel")) {
        deleteFolderTree(folder);
    }
}

}  // namespace

bool isInsideFolder(std::u16string_view path, std::u16string_view folder) {
    if (folder.empty() || path.size() <= folder.size() + 1 || climbsOut(path) ||
        path.find(u'/') != std::u16string_view::npos) {
        return false;
    }
    return path[folder.size()] == u'\\' &&
           sameIgnoringAsciiCase(path.substr(0, folder.size()), folder);
}

int uninstallWorker(UninstallJob& job) {
    platform::systemInfo().enableDebugPrivilege();
    if (job.log) {
        UninstallLog& log = *job.log;
        Trust trust = trustOf(log, job.folder);
        firstPass(log, trust);
        for (LogRecord* r = log.last; r; r = r->prev) {
            log.cursor = r;
            undoRecord(*r, trust);
            platform::clock().sleep(30);
        }
        removeFolders(log);
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
    copyText(job.folder, parentOf(viewOf(path)));
    if (loadLog(*job.log, path)) return true;
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
