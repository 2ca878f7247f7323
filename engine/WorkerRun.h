// The working state of one installation run, shared by its steps, its finish and its rollback,
// and the rules for sending status messages and pausing.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/RefusalMessages.h"
#include "engine/StatusCode.h"
#include "engine/UninstallLog.h"
#include "package/InstallConfig.h"
#include "platform/Security.h"

struct WorkerRun {
    explicit WorkerRun(InstallConfig& c) : config(c) {}

    InstallConfig& config;
    UninstallLog log;
    TextBuffer status{};   // every message's text points here
    TextBuffer logPath{};  // installRoot\company\product\uninstall.log
    bool haveLogPath = false;
    bool logSaved = false;
    bool dataFolderRenewed = false;  // the rollback removes it, as an uninstall would  // from then
                                     // on the installation can be removed through its log
    bool targetReady = false;        // the package root's target folder could be composed
    bool rootProtected = false;      // nobody but the system's own can write installRoot
    // The folders from the drive's root down to the installation folder, judged and kept in
    // place (platform/Security.h) until the installation's work in them is done.
    std::unique_ptr<platform::Hold> hold;
    // Why the installation folder was refused, with the folder (a refusal's text is longer than
    // a path buffer).
    std::u16string refusal;

    bool running() const { return config.running.load(); }
    void stop() { config.running = false; }
    const WorkerParameter& parameter() const { return config.worker; }
    PackageRoot& tree() { return *config.fileTree; }
};

// Sent whenever there is a window, whatever `quiet` says (errors, the final message); every
// status is logged, an error with the Windows error code of the call that just failed.
void sendStatus(WorkerRun& run, StatusCode code, const char16_t* text = nullptr);
// Progress: logged always; sent and followed by the pause only with a window and without
// `quiet`.
void reportProgress(WorkerRun& run, StatusCode code, const char16_t* text = nullptr,
                    unsigned pauseMs = 0);
// A pause that belongs to no message: only `quiet` skips it.
void pauseUnlessQuiet(WorkerRun& run, unsigned ms);

// The service named after an executable: its file name up to the first ".".
void serviceNameOfFile(const FileNode& file, TextBuffer& name);

// The refusal of a folder, named with why, for ST_FILE_ERROR.
void refuse(WorkerRun& run, std::u16string_view folder, Refusal why);

// Steps of the installation, in the order the worker runs them. The first refuses, before
// anything is changed (filling run.refusal), an installation root that is not a drive and plain
// names, a root or folder above it that is missing, a link or that others could rename or
// replace (the service and the uninstaller would run from a folder they control), a company or
// product folder that others could already have written, and names that would leave it; it
// keeps the root's folders held.
bool installFolderIsSafe(WorkerRun& run);
// Refuses a folder that holds an installation of another product (a believed log naming
// another product identity): installing there would overwrite that product's files and log.
bool installFolderIsFree(WorkerRun& run);
// False when an earlier installation could not be removed completely: `left` names the first
// thing of it still there, and nothing may be installed over it.
bool removePreviousVersions(WorkerRun& run, TextBuffer& left);
void prepareFolders(WorkerRun& run);
void stopRunningServices(WorkerRun& run);
void closeRunningPrograms(WorkerRun& run);
void copyFiles(WorkerRun& run);
void writeProductKeyStep(WorkerRun& run);
void orderDriverSets(InstallConfig& config);
void runDriverScripts(WorkerRun& run);
void createServices(WorkerRun& run);
void createStartMenuShortcuts(WorkerRun& run);
void writeDesktopMenus(WorkerRun& run);
void copySystemFiles(WorkerRun& run);
void createDesktopShortcuts(WorkerRun& run);
void writeUninstallEntryStep(WorkerRun& run);
void writeRunEntries(WorkerRun& run);

void finishInstallation(WorkerRun& run);
void rollBackInstallation(WorkerRun& run);
