// The single install configuration: what the package's install script says to do with its
// files, the file tree, and the install worker's run-time fields.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "common/Endpoint.h"
#include "common/Text.h"
#include "package/FileTree.h"
#include "package/ProductIdentity.h"
#include "platform/StatusChannel.h"
#include "platform/Threads.h"

struct FileRef {
    FileNode* file = nullptr;
    FileRef* next = nullptr;
};

struct NamedFile {
    FileNode* file = nullptr;
    TextBuffer name{};
    NamedFile* next = nullptr;
};

struct ServiceEntry {
    FileNode* file = nullptr;
    char16_t* description = nullptr;  // owned, or none
    ServiceEntry* next = nullptr;
};

struct DriverScriptSet {
    FileNode* installX86 = nullptr;
    FileNode* installX64 = nullptr;
    FileNode* uninstallX86 = nullptr;
    FileNode* uninstallX64 = nullptr;
    DriverScriptSet* next = nullptr;
};

struct LicenceFile {
    std::uint8_t languageIndex = 0;
    FileNode* file = nullptr;
    LicenceFile* next = nullptr;
};

// What the wizard hands to the install worker.
struct WorkerParameter {
    platform::StatusChannel* window = nullptr;  // none: no message is ever sent
    TextBuffer installRoot{};
    std::uint8_t quiet = 0;
    std::uint8_t showPanel = 1;
    std::int32_t hidRunCount = 0;
    std::uint32_t language = 1033;
    // Every user's Start menu and desktop and HKLM's Run values instead of the account's own: a
    // run as LocalSystem (whose own are no user's), or one asked to with /ALLUSERS.
    std::uint8_t perMachine = 0;
    // An older version may replace a newer one (/ALLOWDOWNGRADE).
    std::uint8_t allowDowngrade = 0;
    // The panel's endpoint given for this run (/ENDPOINT=, script.ini's Endpoint); without one,
    // an upgrade keeps the endpoint the earlier PanelConfig.ini named, a fresh installation
    // writes the default.
    std::uint8_t hasEndpoint = 0;
    Endpoint endpoint;
};

struct InstallConfig {
    TextBuffer company{};
    TextBuffer product{};
    FileNode* mainApp = nullptr;
    FileNode* extraProgram = nullptr;
    FileNode* uninstaller = nullptr;
    FileRef* launchAfterInstall = nullptr;
    FileRef* runEntries = nullptr;
    NamedFile* startMenuShortcuts = nullptr;
    NamedFile* desktopMenuEntries = nullptr;
    FileRef* systemFiles = nullptr;
    NamedFile* desktopShortcuts = nullptr;
    ServiceEntry* services = nullptr;
    DriverScriptSet* driverScriptSets = nullptr;
    LicenceFile* licenceFiles = nullptr;
    PackageRoot* fileTree = nullptr;
    // The product the package installs: read with the package (the demo product's for a package
    // that carries no identity), kept like the names when a load is rejected.
    ProductIdentity identity = demoIdentity();

    // Install worker run-time fields.
    WorkerParameter worker;
    std::atomic<bool> running{false};
    // Set when the last run finished the installation (a cancel after the decision clears the
    // running flag but changes nothing), cleared when a run starts.
    std::atomic<bool> completed{false};
    // What the driver install scripts of the last run said, cleared when a run starts: one
    // failed (a non-zero exit code other than the two restart codes, a time-out, no start), or
    // one asked for a restart (3010 or 1641).
    std::atomic<bool> driverFailed{false};
    std::atomic<bool> restartRequired{false};
    // The last run found a newer version of the product and did not replace it.
    std::atomic<bool> downgradeRefused{false};
    // From a start until the worker's last step: a second worker must not start meanwhile.
    std::atomic<bool> workerActive{false};
    std::unique_ptr<platform::ThreadHandle> workerThread;
};

// Clears the running flag and closes (does not wait for) the worker thread handle.
void dropWorkerThread(InstallConfig& config);
