#include "engine/SetupLog.h"

#include <cstdio>
#include <mutex>

#include "common/Text.h"
#include "engine/StatusCode.h"
#include "platform/FileSystem.h"
#include "platform/Security.h"

namespace {

// Start-up logs a handful of lines before the file opens; a bound keeps a run that never
// opens one from growing without end.
constexpr std::size_t kPendingLimit = 64 * 1024;

std::mutex logMutex;
std::string pending;  // lines not yet written
bool fileOpen = false;
std::u16string openPath;

bool writeOut(const std::string& bytes) {
    platform::LogFile* file = platform::logFile();
    return file && file->append(bytes.data(), bytes.size());
}

bool openAt(const std::u16string& path) {
    platform::LogFile* file = platform::logFile();
    if (!file || !file->open(path.c_str())) return false;
    fileOpen = true;
    openPath = path;
    if (writeOut(pending)) pending.clear();
    return true;
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

std::u16string withoutLogSuffix(std::u16string_view path) {
    std::u16string_view name = fileNameOf(path);
    std::size_t keep = path.size();
    if (name.size() > 4 && name.substr(name.size() - 4) == u".log") keep -= 4;
    return std::u16string(path.substr(0, keep));
}

void keep(const std::string& line) {
    if (fileOpen) {
        if (writeOut(line)) return;
    }
    if (pending.size() + line.size() <= kPendingLimit) pending += line;
}

}  // namespace

bool defaultSetupLogPath(std::u16string_view product, std::u16string& path) {
    std::u16string temp;
    platform::LogFile* file = platform::logFile();
    if (product.empty() || !file || !file->tempFolder(temp) || temp.empty()) return false;
    path = temp + u"\\" + std::u16string(product) + u"-setup.log";
    return true;
}

bool openSetupLog(std::u16string_view path, bool callerNamed) {
    std::lock_guard<std::mutex> lock(logMutex);
    if (fileOpen || path.empty()) return fileOpen;
    std::u16string file(path);
    if (callerNamed) return openAt(file);
    std::u16string folder(parentOf(file));
    if (folder != file && platform::security().isWritableOnlyByTrusted(folder.c_str())) {
        return openAt(file);
    }
    std::u16string own = withoutLogSuffix(file);
    if (!protectedFolderFor(own)) return false;
    return openAt(own + u"\\" + std::u16string(fileNameOf(file)));
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
