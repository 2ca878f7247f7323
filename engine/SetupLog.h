// The run's log, for whoever deployed the installer without watching it: UTF-8 text, one line
// an event, each stamped with the local time. Lines logged before the file is open are kept
// (up to a bound) and written when it opens, so that what start-up found is in it too. Any
// thread may log; a log that cannot be written costs the installation nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/LogFile.h"

// "%TEMP%\<product>-<kind>.log" (kind "setup" or "uninstall"); false when the system names
// no temporary folder or the product is empty.
bool defaultLogPath(std::u16string_view product, std::u16string_view kind, std::u16string& path);
bool defaultSetupLogPath(std::u16string_view product, std::u16string& path);

// Opens the log at `path` and writes what was logged so far. Earlier runs' lines stay: the run
// is appended, after a separator line. The file is never reached through a link, never another
// file's second name, never a file others could have written (platform/LogFile.h); one that
// another run has open gives way to "<name>-2.log" and on. A file the caller named gets its
// missing folders, made with a protected access list. Otherwise the path is the default one:
// its folder must be writable only by the system's own principals; when it is not (a service
// account's temporary folder, which every user may write), the file goes into a protected
// folder of its own beside, named after the file without ".log", and when someone else made
// that folder first, into a new one under a name nobody could have guessed ("<name>-<random>").
// False when no file could be had; the lines are kept for a later try, with the reason.
bool openSetupLog(std::u16string_view path, bool callerNamed);
// The whole choice of a run: the file `named` (none when empty), or, when none is named or it
// is refused (the reason goes into the log), the default one for the product and kind.
bool openRunLog(std::u16string_view named, std::u16string_view product, std::u16string_view kind);
// The file the log is written to; empty while none is open.
std::u16string setupLogPath();
// Closes the file and forgets every line kept (the next run starts afresh).
void closeSetupLog();

// One line: "what" and, after a blank, the text (line breaks in it become blanks).
void logEvent(std::string_view what, std::u16string_view text = {});
// A status the install worker reports: "ST_COPYING_FILE (0) C:\...".
void logStatus(std::uint32_t code, std::u16string_view text);
// An error status with the Windows error code of the call that failed.
void logError(std::uint32_t code, std::u16string_view text, std::uint32_t systemError);
// The system's error code of the call that just failed on this thread (0 without a log).
std::uint32_t lastSystemError();

// The line as written: "2026-12-09 08:30:05.042 what text" and CR LF.
std::string formatLogLine(const platform::LocalTime& time, std::string_view what,
                          std::u16string_view text);
