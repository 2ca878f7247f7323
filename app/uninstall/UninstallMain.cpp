// The product's uninstaller, Uninstall.exe, as the Uninstall entry starts it from the product
// folder: it asks first (in the installation's language) unless told /S, takes the product's
// lock, then runs a copy of itself from the temporary folder, so that nothing of the product
// folder is in use while it goes; no command interpreter is started at any point. The copy
// removes the installation with the engine's uninstall worker, moves the original program out of
// the way, removes the product folders and checks what is left; once the original has ended, it
// removes the original's program, and its own goes with its end. Exit status: 0 everything
// removed, 1 declined or not everything removed, 2 no installation where it was started, 5 a
// command line not understood, 1618 another installation or removal of the product running.
#include <windows.h>
// After windows.h.
#include <sddl.h>

#include <random>
#include <string>
#include <vector>

#include "app/uninstall/UninstallRun.h"
#include "engine/CommandLine.h"
#include "engine/ExitStatus.h"
#include "engine/InstalledLanguage.h"
#include "engine/LogIdentity.h"
#include "engine/ProductLock.h"
#include "engine/SetupLog.h"
#include "engine/UninstallLog.h"
#include "platform/FileSystem.h"
#include "platform/win32/DllSafety.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Platform.h"
#include "startup/SwitchTable.h"
#include "text/LockMessages.h"
#include "text/RemovalMessages.h"

namespace {

// Administrators and SYSTEM full control, Users read and execute: nobody else can change the
// copy between its writing and its start.
constexpr wchar_t kCopyList[] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)";

std::string windowsError(const char* call) {
    return std::string(call) + " (Windows error " + std::to_string(GetLastError()) + ")";
}

const char* meaningOf(int status) {
    switch (status) {
        case kRemoved:
            return "removed";
        case kNotRemoved:
            return "not removed completely, or declined";
        case kNothingThere:
            return "no installation here";
        case kExitBadCommandLine:
            return "the command line was not understood: nothing removed";
        case kExitAnotherRun:
            return "another installation or removal of the product was running: nothing removed";
        default:
            return "unknown";
    }
}

int endUninstall(int status, const char* meaning = nullptr) {
    logEvent("exit status " + std::to_string(status),
             utf8ToUtf16(meaning ? meaning : meaningOf(status)));
    closeSetupLog();
    unlockProduct();
    return status;
}

// What the installation's log says of itself, for the question, the log's name and the lock
// only: nothing is acted on before the copy has judged the log.
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

// The copy: a new file below the temporary folder under a name nobody could have guessed,
// written with an access list only administrators may change. False with a line in the log.
bool writeCopy(const std::u16string& self, std::u16string& copy) {
    wchar_t base[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, base);
    std::vector<std::uint8_t> program;
    if (n == 0 || n > MAX_PATH) {
        logEvent("error: no temporary folder: " + windowsError("GetTempPathW"));
        return false;
    }
    if (!platform::files().readFile(self.c_str(), program)) {
        logEvent("error: the uninstaller could not be read: " + windowsError("ReadFile"), self);
        return false;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(kCopyList, SDDL_REVISION_1, &descriptor,
                                                         nullptr);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    std::random_device random;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
        wchar_t name[40];
        wsprintfW(name, L"Uninstall-%08x%08x.exe", random(), random());
        copy = narrow16(base) + std::u16string(narrow16(name));
        file = CreateFileW(wide(copy.c_str()), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (descriptor) LocalFree(descriptor);
    if (file == INVALID_HANDLE_VALUE) {
        logEvent("error: the temporary copy could not be made: " + windowsError("CreateFileW"),
                 copy);
        return false;
    }
    DWORD written = 0;
    bool whole = WriteFile(file, program.data(), DWORD(program.size()), &written, nullptr) &&
                 written == program.size();
    if (!whole)
        logEvent("error: the temporary copy could not be written: " + windowsError("WriteFile"),
                 copy);
    CloseHandle(file);
    if (!whole) DeleteFileW(wide(copy.c_str()));
    return whole;
}

// Opened again to be deleted once the last handle on it is closed: the copy inherits this one,
// so its program goes when it ends, after it has outlived this process.
HANDLE holdForDeletion(const std::u16string& copy) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileW(wide(copy.c_str()), DELETE | SYNCHRONIZE,
                       FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit, OPEN_EXISTING,
                       FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// Starts the copy with the inherited handles and reads its result from its standard output;
// false with a line in the log when it could not be started.
bool runCopy(const std::u16string& copy, const std::u16string& arguments, int& status) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        logEvent("error: " + windowsError("CreatePipe"));
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::u16string command;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    PROCESS_INFORMATION process{};
    std::u16string folder = folderOf(copy);
    bool started = quotedCommandLine(copy, arguments, command) &&
                   CreateProcessW(wide(copy.c_str()), wide(command.data()), nullptr, nullptr, TRUE,
                                  0, nullptr, wide(folder.c_str()), &startup, &process);
    DWORD startError = GetLastError();
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        SetLastError(startError);
        return false;
    }
    CloseHandle(process.hThread);
    std::int32_t reported = 0;
    DWORD got = 0, part = 0;
    while (got < sizeof reported &&
           ReadFile(readEnd, reinterpret_cast<char*>(&reported) + got, sizeof reported - got, &part,
                    nullptr) &&
           part > 0) {
        got += part;
    }
    CloseHandle(readEnd);
    if (got == sizeof reported) {
        status = reported;
    } else {
        // Ended without a word (killed, or out of memory): what it did is unknown.
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = kNotRemoved;
        GetExitCodeProcess(process.hProcess, &code);
        status = code == kNothingThere ? kNothingThere : kNotRemoved;
        logEvent("the temporary copy ended without reporting its result, exit code " +
                 std::to_string(code));
    }
    CloseHandle(process.hProcess);
    return true;
}

// The removal itself, from a temporary copy; the original waits for its result.
int removeThroughCopy(const std::u16string& self, bool quiet) {
    std::u16string copy;
    if (!writeCopy(self, copy)) return kNotRemoved;
    // Nothing of this process may keep the product folder in use: its working folder neither.
    SetCurrentDirectoryW(wide(folderOf(copy).c_str()));
    HANDLE doomed = holdForDeletion(copy);
    if (doomed == INVALID_HANDLE_VALUE) {
        logEvent("the temporary copy cannot go by itself: " + windowsError("CreateFileW"), copy);
    }
    std::u16string quotedSelf, quotedLog;
    std::u16string log = setupLogPath();
    std::u16string arguments;
    if (!quotedCommandLine(self, {}, quotedSelf)) return kNotRemoved;
    arguments =
        u"/RUN=" + quotedSelf + u" /PARENT=" + utf8ToUtf16(std::to_string(GetCurrentProcessId()));
    if (!log.empty() && quotedCommandLine(log, {}, quotedLog)) arguments += u" /LOG=" + quotedLog;
    if (quiet) arguments += u" /S";
    logEvent("starting the temporary copy", copy);
    // The copy writes the same log: it is let go meanwhile.
    closeSetupLog();
    int status = kNotRemoved;
    bool ran = runCopy(copy, arguments, status);
    std::string why = ran ? std::string() : windowsError("CreateProcessW");
    continueSetupLog(log);
    if (!ran) {
        logEvent("error: the temporary copy could not be started: " + why, copy);
        if (doomed != INVALID_HANDLE_VALUE) CloseHandle(doomed);
        DeleteFileW(wide(copy.c_str()));
        return kNotRemoved;
    }
    logEvent("the temporary copy reported status " + std::to_string(status));
    // The copy holds its own handle: its program goes when it ends.
    if (doomed != INVALID_HANDLE_VALUE) CloseHandle(doomed);
    return status;
}

int showUsage(const UninstallSwitches& args, bool understood) {
    std::u16string text =
        understood ? std::u16string(kUninstallUsageText)
                   : u"Not understood: " + args.notUnderstood + u"\r\n\r\n" + kUninstallUsageText;
    if (!understood) logEvent("command line not understood", args.notUnderstood);
    if (args.noBoxes) {
        logEvent("usage", kUninstallUsageText);
    } else {
        MessageBoxW(nullptr, wide(text.c_str()), L"Uninstall.exe", MB_OK | MB_ICONINFORMATION);
    }
    return understood ? endUninstall(kRemoved, "usage shown, nothing removed")
                      : endUninstall(kExitBadCommandLine);
}

}  // namespace

std::u16string folderOf(const std::u16string& path) {
    return path.substr(0, path.rfind(u'\\'));
}

void tell(bool quiet, const std::u16string& text, const std::u16string& title, unsigned icon) {
    if (!quiet) MessageBoxW(nullptr, wide(text.c_str()), wide(title.c_str()), MB_OK | icon);
}

int runFromProductFolder(const UninstallSwitches& args, bool understood,
                         std::u16string_view commandLine) {
    std::u16string self = win32::executablePath();
    std::u16string folder = folderOf(self);
    std::u16string logPath = folder + u"\\uninstall.log";
    LoggedInstallation logged = readLoggedInstallation(logPath);
    const std::u16string product =
        logged.product.empty() ? std::u16string(fileNameOf(folder)) : logged.product;
    openRunLog(args.logPath, product, u"uninstall");
    logEvent("uninstall started", self);
    if (!commandLine.empty()) logEvent("command line", commandLine);
    if (!understood || args.help) return showUsage(args, understood);
    bool quiet = args.noBoxes;
    std::uint32_t language = installedLanguage(logged.identity);
    if (!platform::files().exists(logPath.c_str())) {
        logEvent("no uninstall.log beside the uninstaller: no installation to remove", logPath);
        tell(quiet, removalNothingFound(language), u"Uninstall", MB_ICONWARNING);
        return endUninstall(kNothingThere);
    }
    if (!quiet && MessageBoxW(nullptr, wide(removalQuestion(language, product).c_str()),
                              wide(product.c_str()), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        logEvent("the removal was declined");
        return endUninstall(kNotRemoved, "declined: nothing removed");
    }
    if (lockProduct(logged.identity, quiet ? args.lockWaitSeconds : 0) == ProductLockResult::Busy) {
        tell(quiet, productBusyText(language, product), product, MB_ICONWARNING);
        return endUninstall(kExitAnotherRun);
    }
    return endUninstall(removeThroughCopy(self, quiet));
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    win32::restrictDllSearchToSystem();
    win32::installWin32Platform();
    std::u16string_view line = afterProgramName(narrow16(GetCommandLineW()));
    while (!line.empty() && switchtext::isBlank(line.front())) line.remove_prefix(1);
    UninstallSwitches args;
    bool understood = parseUninstallSwitches(line, args);
    if (understood && !args.runFor.empty()) return runAsTemporaryCopy(args);
    return runFromProductFolder(args, understood, line);
}
