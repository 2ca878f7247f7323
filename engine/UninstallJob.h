// Removing an earlier installation from its uninstall.log, on a thread of its own while the
// install worker waits.
#pragma once

#include <memory>

#include "engine/TrustPolicy.h"
#include "engine/UninstallLog.h"
#include "platform/Threads.h"

struct UninstallJob {
    std::unique_ptr<UninstallLog> log;
    FoundLogTrust trust;  // judged when the log is loaded
    std::unique_ptr<platform::ThreadHandle> thread;
};

// Each of these first ends a running worker, waiting for it without a time limit. A log that is
// loaded but not believed (see FoundLogTrust) is kept, so that its caller can tell, and the
// worker leaves everything as it is.
bool loadUninstallJob(UninstallJob& job, const char16_t* path);
bool startUninstallJob(UninstallJob& job);
void waitUninstallJob(UninstallJob& job);
void freeUninstallJob(UninstallJob& job);

// The thread body: stop what runs, undo every record the trust policy allows from the last,
// remove the folders.
int uninstallWorker(UninstallJob& job);
