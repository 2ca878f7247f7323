// Removing an earlier installation from its uninstall.log, on a thread of its own while the
// install worker waits.
#pragma once

#include <memory>

#include "engine/TrustPolicy.h"
#include "engine/UninstallLog.h"
#include "platform/Security.h"
#include "platform/Threads.h"

struct UninstallJob {
    std::unique_ptr<UninstallLog> log;
    FoundLogTrust trust;  // judged when the log is loaded
    // The log's folder and every folder above it, judged and held from before the log is read
    // until the worker has done what the log says in them.
    std::unique_ptr<platform::Hold> hold;
    std::unique_ptr<platform::ThreadHandle> thread;
};

// Each of these first ends a running worker, waiting for it without a time limit. A log that is
// loaded but not believed (see FoundLogTrust) is kept, so that its caller can tell, and the
// worker leaves everything as it is. With `product`, only a log of that product is believed
// (judgeFoundLog). Nor is a log believed whose folder, or a folder above it, is a link or could
// be renamed or replaced by others (Security::holdFolderChain): they could swap the folder for
// their own after the judgement, and the elevated worker would act on what they put there.
bool loadUninstallJob(UninstallJob& job, const char16_t* path,
                      const ProductIdentity* product = nullptr);
bool startUninstallJob(UninstallJob& job);
void waitUninstallJob(UninstallJob& job);
void freeUninstallJob(UninstallJob& job);

// The thread body: stop what runs, undo every record the trust policy allows from the last,
// remove the folders.
int uninstallWorker(UninstallJob& job);
