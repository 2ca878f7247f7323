// Removing an earlier installation from its uninstall.log, on a thread of its own while the
// install worker waits.
#pragma once

#include <memory>

#include "engine/UninstallLog.h"
#include "platform/Threads.h"

struct UninstallJob {
    std::unique_ptr<UninstallLog> log;
    TextBuffer folder{};  // where the log was found
    std::unique_ptr<platform::ThreadHandle> thread;
};

// Each of these first ends a running worker, waiting for it without a time limit.
bool loadUninstallJob(UninstallJob& job, const char16_t* path);
bool startUninstallJob(UninstallJob& job);
void waitUninstallJob(UninstallJob& job);
void freeUninstallJob(UninstallJob& job);

// The thread body: stop what runs, undo every record from the last, remove the folders.
int uninstallWorker(UninstallJob& job);

// Whether a record of a log found on disk may be acted on. A log lies in a folder that may be
// writable by anyone, so it is trusted only as far as its own installation reaches: files,
// driver scripts and service programs inside the folder the log lies in, and only when its
// header names that same folder (root\company\product); system files directly in the system
// folder. A record that fails is skipped. A path with "/" or a "." or ".." component is never
// inside.
bool isInsideFolder(std::u16string_view path, std::u16string_view folder);
