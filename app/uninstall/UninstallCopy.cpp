// The uninstaller's temporary copy: removes the installation whose uninstaller started it, moves
// that program out of the product folder so the folder can go, tells the original how it went,
// and once the original has ended removes its program. Nothing is left for a restart unless a
// program could not be removed, and then the log says so.
#include <windows.h>

#include <string>

#include "app/uninstall/UninstallRun.h"
#include "engine/InstalledLanguage.h"
#include "engine/LogIdentity.h"
#include "engine/ProductRemoval.h"
#include "engine/SetupLog.h"
#include "package/FileRemoval.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "text/RemovalMessages.h"

namespace {

// How long the copy waits for the original to end once it has its result.
constexpr DWORD kOriginalEndMs = 60000;

std::string windowsError(const char* call, DWORD error) {
    return std::string(call) + " (Windows error " + std::to_string(error) + ")";
}

std::uint32_t languageOf(const std::u16string& logPath) {
    UninstallLog log;
    ProductIdentity identity = demoIdentity();
    if (loadLog(log, logPath.c_str()) && !identityOfLog(log, identity)) identity = demoIdentity();
    return installedLanguage(identity);
}

// The original is in use until it ends: it is moved beside this copy, under this copy's name,
// and removed when the original has ended.
bool park(const std::u16string& original, const std::u16string& parked) {
    if (MoveFileExW(wide(original.c_str()), wide(parked.c_str()), MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    logEvent("error: the uninstaller could not be moved out of the product folder: " +
                 windowsError("MoveFileExW", GetLastError()),
             original);
    return false;
}

int removeAndReport(const UninstallSwitches& args, const std::u16string& parked) {
    std::u16string logPath = folderOf(args.runFor) + u"\\uninstall.log";
    bool quiet = args.noBoxes;
    std::uint32_t language = languageOf(logPath);
    RemovalReport report = removeInstallation(logPath.c_str(), args.runFor.c_str());
    if (!report.loaded) {
        logEvent("error: the installation's uninstall.log could not be read", logPath);
        tell(quiet, removalNothingFound(language), u"Uninstall", MB_ICONWARNING);
        return kNothingThere;
    }
    if (!report.believed) {
        logEvent(
            std::string("nothing removed: the installation's uninstall.log is not believed: ") +
                (report.trust.doubt ? report.trust.doubt : "no reason given"),
            logPath);
        tell(quiet, removalNothingFound(language), u"Uninstall", MB_ICONWARNING);
        return kNotRemoved;
    }
    park(args.runFor, parked);
    removeProductFolders(report.trust, report.leftovers);
    for (const std::u16string& left : report.leftovers) logEvent("left", left);
    // What another account's registry holds is out of this account's reach: said, not failed.
    std::u16string elsewhere;
    for (const std::u16string& note : report.otherAccounts) {
        logEvent("left for its own account", note);
        elsewhere += u"\r\n" + note;
    }
    if (report.leftovers.empty()) {
        logEvent("everything of the installation was removed", report.product);
        tell(quiet, removalDone(language, report.product) + elsewhere, report.product,
             MB_ICONINFORMATION);
        return kRemoved;
    }
    tell(quiet, removalIncomplete(language, report.product), report.product, MB_ICONWARNING);
    return kNotRemoved;
}

void report(std::int32_t status) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE) {
        WriteFile(out, &status, sizeof status, &written, nullptr);
        CloseHandle(out);
    }
}

// The original's program, parked beside this copy: removed once the original has ended, and
// only when it cannot be, left to the system's next restart (said in the log).
void removeParked(HANDLE original, const std::u16string& parked, const std::u16string& log) {
    if (GetFileAttributesW(wide(parked.c_str())) == INVALID_FILE_ATTRIBUTES) return;
    if (original) WaitForSingleObject(original, kOriginalEndMs);
    if (deleteFileWhenFree(parked.c_str())) return;
    DWORD error = GetLastError();
    MoveFileExW(wide(parked.c_str()), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    continueSetupLog(log);
    logEvent("the uninstaller's program could not be removed (" +
                 windowsError("DeleteFileW", error) + "): it goes at the next restart",
             parked);
    closeSetupLog();
}

}  // namespace

int runAsTemporaryCopy(const UninstallSwitches& args) {
    // Opened first, while the original surely still runs and waits for this copy.
    HANDLE original = args.parent ? OpenProcess(SYNCHRONIZE, FALSE, args.parent) : nullptr;
    std::u16string self = win32::executablePath();
    std::u16string parked = self.substr(0, self.size() - 4) + u"-original.exe";
    if (!args.logPath.empty()) continueSetupLog(args.logPath);
    logEvent("temporary copy removing the installation of", args.runFor);
    int status = removeAndReport(args, parked);
    logEvent("temporary copy done, status " + std::to_string(status));
    closeSetupLog();
    report(status);
    removeParked(original, parked, args.logPath);
    if (original) CloseHandle(original);
    return status;
}
