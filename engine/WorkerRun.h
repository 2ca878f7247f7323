// The working state of one installation run, shared by its steps, its finish and its rollback,
// and the rules for sending status messages and pausing.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <vector>

#include "common/Endpoint.h"
#include "engine/Claims.h"
#include "engine/ProgramShutdown.h"
#include "engine/StatusCode.h"
#include "engine/UninstallJob.h"
#include "engine/UninstallLog.h"
#include "package/InstallConfig.h"
#include "platform/Security.h"
#include "text/RefusalMessages.h"

// An earlier installation of this product, found by its identity before anything changed: its
// believed log, loaded (and its folders held) until the removal.
struct EarlierInstallation {
    std::u16string folder;
    std::unique_ptr<UninstallJob> job;
};

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
    // a path buffer), or which name another product holds, or which newer version stays.
    std::u16string refusal;
    // What is known of this product on the machine, and its earlier installations.
    ClaimEvidence evidence;
    std::vector<EarlierInstallation> earlier;
    // The service the product's settings key names (an installation without a log leaves it).
    TextBuffer earlierServiceName{};
    // The endpoint of the PanelConfig.ini the installation replaces.
    bool keptEndpoint = false;
    Endpoint endpoint;
    // The product's programs this run closed, to be started again for their accounts.
    ClosedPrograms closed;

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
// The installed path of a file of the package, once the package root's target is set.
bool targetOf(const FileNode* file, TextBuffer& path);

// The refusal of a folder, named with why, for ST_FILE_ERROR.
void refuse(WorkerRun& run, std::u16string_view folder, Refusal why);
// A name another product holds: ST_NAME_TAKEN naming the item and its owner, and the run stops
// (the rollback takes back what it did so far).
void refuseTaken(WorkerRun& run, const TakenName& taken);

// Where this run puts what belongs to users: every user's folders and HKLM for a per-machine
// installation, the account's own otherwise.
bool startMenuFolderOf(const WorkerRun& run, TextBuffer& folder);  // Programs\company\product
bool desktopFolderOf(const WorkerRun& run, TextBuffer& folder);
platform::RegistryRoot runRootOf(const WorkerRun& run);

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
// Looks for earlier installations of this product (its settings key, its Uninstall entry, the
// new place) and loads their believed logs, gathering what tells this product's items.
void findEarlierInstallations(WorkerRun& run);
// Logs the version being installed and the newest found; false (run.refusal set) when a newer
// one is installed and the run was not told to replace it.
bool versionMayReplace(WorkerRun& run);
// Every name the installation will take is absent or this product's; false, with run.refusal
// naming the first that is not, before anything changes.
bool namesAreFree(WorkerRun& run);
// Reads the panel's endpoint from this product's PanelConfig.ini before it is replaced.
void keepEarlierEndpoint(WorkerRun& run);
// Notes the product's programs running now, and whose each is, before the removal of the
// earlier installation and the installation close them.
void noteRunningPrograms(WorkerRun& run);
// Runs the removals of the earlier installations found. False when one could not be removed
// completely: `left` names the first thing of it still there, and nothing may be installed over
// it.
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
// Before the finish empties and refills it: the data folder must be this product's.
void claimDataFolder(WorkerRun& run);

void finishInstallation(WorkerRun& run);
void rollBackInstallation(WorkerRun& run);
