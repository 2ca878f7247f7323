// Removing an installed product the way its own uninstaller does: the uninstall worker over the
// product's uninstall.log, then a check of what is still there. Only what the log's records
// name (and the trust policy lets it touch) is looked at.
#pragma once

#include <string>
#include <vector>

#include "engine/TrustPolicy.h"
#include "engine/UninstallLog.h"

struct RemovalReport {
    bool loaded = false;    // the log could be read
    bool believed = false;  // and was believed: only then anything was undone
    std::u16string product;
    FoundLogTrust trust;
    std::vector<std::u16string> leftovers;  // what is still there, one line each
    // What an installation made for another account stays in that account's registry (its
    // HKCU Run values), which this account cannot reach: one line each, whose it is.
    std::vector<std::u16string> otherAccounts;
    bool complete() const { return loaded && believed && leftovers.empty(); }
};

// Runs the uninstall worker over the log at `logPath` and waits for it. The record of
// `keepFile` (the uninstaller's own running program, which its caller moves away afterwards)
// is left out, so that the worker neither closes nor deletes it.
RemovalReport removeInstallation(const char16_t* logPath, const char16_t* keepFile);

// What of the log's installation is still on the machine: files, keys, services, shortcuts,
// menu entries, Run values, folders. Records the trust policy would not let be undone count
// as still there.
std::vector<std::u16string> whatRemains(const UninstallLog& log, const FoundLogTrust& trust);

// What the removal had to take away and did not: the text (path or name) of each record it
// may undo whose object is still there. Folders are left out: one goes only once empty, and a
// start-menu folder may hold another product's shortcuts.
std::vector<std::u16string> whatRemovalLeft(const UninstallLog& log, const FoundLogTrust& trust);

// The Run values a per-user installation made for another account than this one: its own
// registry, out of this account's reach. One line each, naming the value and the account.
std::vector<std::u16string> leftInOtherAccounts(const UninstallLog& log);

// The product folder root\company\product named by the log's header, and the company folder
// above it, once empty: removed, and reported when still there.
void removeProductFolders(const FoundLogTrust& trust, std::vector<std::u16string>& leftovers);
