#include "engine/SetupLog.h"

#include <cstdio>
#include <mutex>
#include <random>
#include <vector>

#include "common/Names.h"
#include "common/Text.h"
#include "engine/StatusCode.h"
#include "platform/FileSystem.h"
#include "platform/Security.h"

namespace {

// Start-up logs a handful of lines before the file opens; a bound keeps a run that never
// opens one from growing without end.
constexpr std::size_t kPendingLimit = 64 * 1024;
// Another run writing the same log makes this one take the next free name.
constexpr int kNamesPerLog = 9;
constexpr int kFreshFolderTries = 16;
const char kRunSeparator[] =
    "\r\n=============================================================================\r\n";

std::mutex logMutex;
std::string pending;  // lines not yet written
bool fileOpen = false;
std::u16string openPath;

bool writeOut(const std::string& bytes) {
    platform::LogFile* file = platform::logFile();
    return file && file->append(bytes.data(), bytes.size());
}

void keep(const std::string& line) {
    if (fileOpen) {
        if (writeOut(line)) return;
    }
    if (pending.size() + line.size() <= kPendingLimit) pending += line;
}

// A line from inside the log's own choices, where the lock is held already.
void note(std::string_view what, std::u16string_view text = {}) {
    platform::LogFile* file = platform::logFile();
    if (file) keep(formatLogLine(file->localTime(), what, text));
}

const char* refusalReason(const platform::LogOpening& o) {
    switch (o.refusal) {
        case platform::LogRefusal::NoFolder:
            return "its folder does not exist";
        case platform::LogRefusal::Link:
            return "a link or reparse point stands at its name or on the way to it";
        case platform::LogRefusal::SecondName:
            return "the file has another name too (a hard link)";
        case platform::LogRefusal::OthersCanWrite:
            return "the file is there already and others can write it";
        case platform::LogRefusal::NotAFile:
            return "it is no file";
        case platform::LogRefusal::InUse:
            return "another process has it open";
        default:
            return "it cannot be opened";
    }
}

std::u16string withoutLogSuffix(std::u16string_view path) {
    std::u16string_view name = fileNameOf(path);
    std::size_t keep = path.size();
    if (name.size() > 4 && name.substr(name.size() - 4) == u".log") keep -= 4;
    return std::u16string(path.substr(0, keep));
}

std::u16string numbered(const std::u16string& path, int n) {
    if (n == 1) return path;
    return withoutLogSuffix(path) + u"-" + utf8ToUtf16(std::to_string(n)) + u".log";
}

// Opens the file, or the next free name while another run has it open; earlier runs' lines
// stay above a separator.
bool openAt(const std::u16string& path) {
    platform::LogFile* file = platform::logFile();
    if (!file) return false;
    for (int n = 1; n <= kNamesPerLog; ++n) {
        std::u16string name = numbered(path, n);
        platform::LogOpening opening = file->open(name.c_str());
        if (opening.refusal == platform::LogRefusal::InUse) continue;
        if (!opening.opened()) {
            std::string why = "log file not used: " + std::string(refusalReason(opening));
            if (opening.error) why += " (Windows error " + std::to_string(opening.error) + ")";
            note(why, name);
            return false;
        }
        fileOpen = true;
        openPath = name;
        if (opening.size > 0) pending.insert(0, kRunSeparator);
        if (writeOut(pending)) pending.clear();
        return true;
    }
    return false;
}

// A folder of the log's own under one that others can write: made with a protected access
// list, or, when it stands there already, only if nobody else could have written it.
bool protectedFolderFor(const std::u16string& folder) {
    if (!platform::files().exists(folder.c_str())) {
        platform::security().createProtectedFolder(folder.c_str());
    }
    return platform::files().exists(folder.c_str()) &&
           platform::security().isWritableOnlyByTrusted(folder.c_str());
}

// A new protected folder under a name nobody could have made first: it did not exist a moment
// ago, and creating it fails for a name that does.
bool freshFolderFor(const std::u16string& base, std::u16string& folder) {
    std::random_device random;
    for (int attempt = 0; attempt < kFreshFolderTries; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, "-%08x%08x", unsigned(random()), unsigned(random()));
        folder = base + utf8ToUtf16(suffix);
        if (platform::security().createProtectedFolder(folder.c_str())) return true;
    }
    return false;
}

// Every folder of a named log's path that is missing, from the top down, made protected.
void makeFoldersFor(const std::u16string& file) {
    std::vector<std::u16string> chain;
    if (!folderChainOf(parentOf(file), chain)) return;
    for (const std::u16string& folder : chain) {
        if (!platform::files().exists(folder.c_str())) {
            platform::security().createProtectedFolder(folder.c_str());
        }
    }
}

bool openDefault(const std::u16string& file) {
    std::u16string folder(parentOf(file));
    if (folder != file && platform::security().isWritableOnlyByTrusted(folder.c_str())) {
        return openAt(file);
    }
    std::u16string name(fileNameOf(file));
    std::u16string own = withoutLogSuffix(file);
    if (protectedFolderFor(own)) return openAt(own + u"\\" + name);
    std::u16string fresh;
    if (!freshFolderFor(own, fresh)) return false;
    note("the log's folder was made by someone else, so this run's log is in a new one", own);
    return openAt(fresh + u"\\" + name);
}

}  // namespace

bool defaultLogPath(std::u16string_view product, std::u16string_view kind, std::u16string& path) {
    std::u16string temp;
    platform::LogFile* file = platform::logFile();
    if (product.empty() || !file || !file->tempFolder(temp) || temp.empty()) return false;
    path = temp + u"\\" + std::u16string(product) + u"-" + std::u16string(kind) + u".log";
    return true;
}

bool defaultSetupLogPath(std::u16string_view product, std::u16string& path) {
    return defaultLogPath(product, u"setup", path);
}

bool openSetupLog(std::u16string_view path, bool callerNamed) {
    std::lock_guard<std::mutex> lock(logMutex);
    if (fileOpen || path.empty()) return fileOpen;
    std::u16string file(path);
    if (!callerNamed) return openDefault(file);
    makeFoldersFor(file);
    return openAt(file);
}

bool openRunLog(std::u16string_view named, std::u16string_view product, std::u16string_view kind) {
    if (!named.empty()) {
        if (openSetupLog(named, true)) return true;
        logEvent("the log file named on the command line was not used; this is the default log",
                 named);
    }
    std::u16string path;
    return defaultLogPath(product, kind, path) && openSetupLog(path, false);
}

std::u16string setupLogPath() {
    std::lock_guard<std::mutex> lock(logMutex);
    return openPath;
}

void closeSetupLog() {
    std::lock_guard<std::mutex> lock(logMutex);
    if (fileOpen && platform::logFile()) platform::logFile()->close();
    fileOpen = false;
    openPath.clear();
    pending.clear();
}

std::string formatLogLine(const platform::LocalTime& t, std::string_view what,
                          std::u16string_view text) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", unsigned(t.year),
                  unsigned(t.month), unsigned(t.day), unsigned(t.hour), unsigned(t.minute),
                  unsigned(t.second), unsigned(t.millisecond));
    std::string line = stamp;
    line += what;
    if (!text.empty()) {
        std::string body = utf16ToUtf8(text);
        for (char& c : body) {
            if (c == '\r' || c == '\n' || c == '\0') c = ' ';
        }
        line += " " + body;
    }
    return line + "\r\n";
}

void logEvent(std::string_view what, std::u16string_view text) {
    platform::LogFile* file = platform::logFile();
    if (!file) return;
    std::string line = formatLogLine(file->localTime(), what, text);
    std::lock_guard<std::mutex> lock(logMutex);
    keep(line);
}

namespace {
std::string statusWhat(std::uint32_t code) {
    const char* name = statusCodeName(code);
    return std::string(name ? name : "status") + " (" + std::to_string(code) + ")";
}
}  // namespace

void logStatus(std::uint32_t code, std::u16string_view text) {
    logEvent(statusWhat(code), text);
}

void logError(std::uint32_t code, std::u16string_view text, std::uint32_t systemError) {
    std::u16string body(text);
    body += u" (Windows error " + utf8ToUtf16(std::to_string(systemError)) + u")";
    logEvent("error " + statusWhat(code), body);
}

std::uint32_t lastSystemError() {
    platform::LogFile* file = platform::logFile();
    return file ? file->lastError() : 0;
}
