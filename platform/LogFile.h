// The file a setup run writes its log into, and what the log asks of the system besides: the
// temporary folder, the local time and the error code of the call that just failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace platform {

struct LocalTime {
    std::uint16_t year = 0, month = 0, day = 0;
    std::uint16_t hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Why a log file could not be opened.
enum class LogRefusal {
    None,            // opened
    NoFolder,        // the folder it would be in does not exist
    Link,            // a link or reparse point stands at its name or on the way to it
    SecondName,      // the file has more than one name (a hard link to another file)
    OthersCanWrite,  // the file is there already and others than the trusted could write it
    NotAFile,        // a folder or a device is there
    InUse,           // another process has it open (another run writing its log)
    Failed,          // any other failure: `error` says which
};

struct LogOpening {
    LogRefusal refusal = LogRefusal::Failed;
    bool existed = false;     // the file was there: it is written on, at its end
    std::uint64_t size = 0;   // its size when opened
    std::uint32_t error = 0;  // the Windows error of the call that failed
    bool opened() const { return refusal == LogRefusal::None; }
};

class LogFile {
public:
    virtual ~LogFile() = default;
    // Opens the file at `path` for writing at its end, creating it when missing, and keeps it
    // open. Each folder on the way from the drive's root and the file itself are opened
    // themselves, never what a link leads to, and kept from being renamed until the file is
    // open: a link or reparse point anywhere refuses the path. So are a file with more than one
    // name, a folder or device at the name, and a file that is there already and that others
    // than the system's own principals and this account could write. A new file gets a
    // protected access list (Administrators and SYSTEM full control, Users read). One file at a
    // time: an open file is closed first.
    virtual LogOpening open(const char16_t* path) = 0;
    // Writes the bytes at the end of the open file, handed to the system at once so that a
    // process ended from outside leaves every line it wrote.
    virtual bool append(const char* bytes, std::size_t size) = 0;
    virtual void close() = 0;
    // GetTempPathW without its closing backslash; false when the system has none.
    virtual bool tempFolder(std::u16string& path) = 0;
    // GetLocalTime.
    virtual LocalTime localTime() = 0;
    // GetLastError of the calling thread.
    virtual std::uint32_t lastError() = 0;
};

// None in tools that keep no log.
inline LogFile* logFile() {
    return os().log;
}

}  // namespace platform
