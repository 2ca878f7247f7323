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

class LogFile {
public:
    virtual ~LogFile() = default;
    // Creates the file at `path`, or empties the one there, and keeps it open for writing. The
    // file itself is opened, never what a link at its name leads to; a link, a folder, a device
    // and a file that has more than one name (a hard link made to another file) are refused.
    // One file at a time: an open file is closed first.
    virtual bool open(const char16_t* path) = 0;
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
