// The product's uninstaller, Uninstall.exe, as the Uninstall entry starts it from the product
// folder: it asks first (in the installation's language) unless told /S, then runs a copy of
// itself from a temporary folder of its own, so that nothing of the product folder is in use
// while it goes; no command interpreter is started at any point. The copy removes the installation
// with the engine's uninstall worker, moves the original program out of the way, removes the
// product folders and checks that nothing is left. Exit status: 0 everything removed, 1 declined or
// not everything removed, 2 no installation where it was started.
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <random>
#include <string>
#include <vector>

#include "engine/CommandLine.h"
#include "engine/LogIdentity.h"
#include "engine/ProductRemoval.h"
#include "engine/RemovalMessages.h"
#include "engine/UninstallLog.h"
#include "platform/FileSystem.h"
#include "platform/Security.h"
#include "platform/win32/DllSafety.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Platform.h"

namespace {

constexpr int kRemoved = 0;
constexpr int kNotRemoved = 1;
constexpr int kNothingThere = 2;

struct Arguments {
    bool quiet = false;  // /S
    std::u16string
        runFor;  // /run ORIGINAL: this is the temporary copy, removing ORIGINAL's product
};

Arguments parseArguments() {
    Arguments args;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; argv && i < count; ++i) {
        if (lstrcmpiW(argv[i], L"/S") == 0) {
            args.quiet = true;
        } else if (lstrcmpiW(argv[i], L"/run") == 0 && i + 1 < count) {
            args.runFor = narrow16(argv[++i]);
        }
    }
    LocalFree(argv);
    return args;
}

std::u16string folderOf(const std::u16string& path) {
    return path.substr(0, path.rfind(u'\\'));
}

void tell(bool quiet, const std::u16string& text, const std::u16string& title, UINT icon) {
    if (!quiet) MessageBoxW(nullptr, wide(text.c_str()), wide(title.c_str()), MB_OK | icon);
}

// A new folder below the temporary folder that only administrators and the system can write,
// under a name nobody could have guessed and planted first.
bool makeTemporaryFolder(std::u16string& folder) {
    wchar_t base[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) return false;
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        wchar_t name[32];
        wsprintfW(name, L"Uninstall-%08x%08x", random(), random());
        folder = narrow16(base) + std::u16string(narrow16(name));
        if (platform::security().createProtectedFolder(folder.c_str())) return true;
    }
    return false;
}

bool startAndWait(const std::u16string& program, const std::u16string& arguments,
                  const std::u16string& folder, DWORD& status) {
    std::u16string command;
    if (!quotedCommandLine(program, arguments, command)) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(wide(program.c_str()), wide(command.data()), nullptr, nullptr, FALSE, 0,
                        nullptr, wide(folder.c_str()), &startup, &process)) {
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    bool known = GetExitCodeProcess(process.hProcess, &status) != FALSE;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return known;
}

// The temporary folder goes as far as it can without any command interpreter: nothing of its
// path, which comes from TEMP, ever reaches a command line. The copy has ended, so its program
// goes now (its file may stay in use a moment after its process has ended). This process's own
// program, the original the copy parked there, is in use until it ends: that file and the
// folder are removed by the system at the next restart.
void removeTemporaryFolder(const std::u16string& folder) {
    std::u16string copy = folder + u"\\Uninstall.exe";
    std::u16string parked = folder + u"\\Uninstall-original.exe";
    for (int attempt = 0; attempt < 20 && !DeleteFileW(wide(copy.c_str())); ++attempt) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) break;
        Sleep(100);
    }
    if (RemoveDirectoryW(wide(folder.c_str()))) return;
    for (const std::u16string* file : {&copy, &parked}) {
        if (GetFileAttributesW(wide(file->c_str())) != INVALID_FILE_ATTRIBUTES) {
            MoveFileExW(wide(file->c_str()), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }
    MoveFileExW(wide(folder.c_str()), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// What the installation's log says of itself, for the question and the messages only: nothing
// is acted on before the copy has judged the log.
struct LoggedInstallation {
    std::u16string product;
    ProductIdentity identity = demoIdentity();
};

LoggedInstallation readLoggedInstallation(const std::u16string& logPath) {
    LoggedInstallation logged;
    UninstallLog log;
    if (!loadLog(log, logPath.c_str())) return logged;
    logged.product = viewOf(log.product);
    if (!identityOfLog(log, logged.identity)) logged.identity = demoIdentity();
    return logged;
}

// Started from the product folder.
int startFromProductFolder(const Arguments& args) {
    std::u16string self = win32::executablePath();
    std::u16string folder = folderOf(self);
    std::u16string log = folder + u"\\uninstall.log";
    LoggedInstallation logged = readLoggedInstallation(log);
    std::uint32_t language = installedLanguage(logged.identity);
    if (!platform::files().exists(log.c_str())) {
        tell(args.quiet, removalNothingFound(language), u"Uninstall", MB_ICONWARNING);
        return kNothingThere;
    }
    const std::u16string& product = logged.product;
    if (!args.quiet && MessageBoxW(nullptr, wide(removalQuestion(language, product).c_str()),
                                   wide(product.c_str()), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return kNotRemoved;
    }
    std::u16string temporary;
    if (!makeTemporaryFolder(temporary)) return kNotRemoved;
    std::u16string copy = temporary + u"\\Uninstall.exe";
    DWORD status = kNotRemoved;
    std::u16string quotedSelf;
    if (!CopyFileW(wide(self.c_str()), wide(copy.c_str()), TRUE) ||
        !quotedCommandLine(self, {}, quotedSelf) ||
        !startAndWait(copy, u"/run " + quotedSelf + (args.quiet ? u" /S" : u""), temporary,
                      status)) {
        status = kNotRemoved;
    }
    removeTemporaryFolder(temporary);
    return int(status);
}

// The temporary copy, removing the installation of the program `original`.
int removeFromTemporaryCopy(const Arguments& args) {
    std::u16string self = win32::executablePath();
    std::u16string folder = folderOf(args.runFor);
    std::u16string log = folder + u"\\uninstall.log";
    std::uint32_t language = installedLanguage(readLoggedInstallation(log).identity);
    RemovalReport report = removeInstallation(log.c_str(), args.runFor.c_str());
    if (!report.loaded || !report.believed) {
        tell(args.quiet, removalNothingFound(language), u"Uninstall", MB_ICONWARNING);
        return report.loaded ? kNotRemoved : kNothingThere;
    }
    // The original waits for this copy: its file can be moved, not deleted, while it runs.
    std::u16string parked = folderOf(self) + u"\\Uninstall-original.exe";
    if (!MoveFileExW(wide(args.runFor.c_str()), wide(parked.c_str()), MOVEFILE_REPLACE_EXISTING)) {
        MoveFileExW(wide(args.runFor.c_str()), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    removeProductFolders(report.trust, report.leftovers);
    // What another account's registry holds is out of this account's reach: said, not failed.
    std::u16string elsewhere;
    for (const std::u16string& note : report.otherAccounts) elsewhere += u"\r\n" + note;
    if (report.leftovers.empty()) {
        tell(args.quiet, removalDone(language, report.product) + elsewhere, report.product,
             MB_ICONINFORMATION);
        return kRemoved;
    }
    tell(args.quiet, removalIncomplete(language, report.product), report.product, MB_ICONWARNING);
    return kNotRemoved;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    win32::restrictDllSearchToSystem();
    win32::installWin32Platform();
    Arguments args = parseArguments();
    return args.runFor.empty() ? startFromProductFolder(args) : removeFromTemporaryCopy(args);
}
