#include "platform/Platform.h"
#include "tools/pkgtool/Command.h"

#ifdef _WIN32
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32ServiceManager.h"
#include "platform/win32/Win32Shell.h"
#else
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#endif

void installSystemPlatform() {
#ifdef _WIN32
    static win32::Win32FileSystem files;
    static win32::Win32Clock clock;
    static win32::Win32Processes processes;
    static win32::Win32ServiceManager services;
    static win32::Win32Shell shell;
    platform::os().services = &services;
    platform::os().shell = &shell;
#else
    static posix::PosixFileSystem files;
    static posix::PosixClock clock;
    static posix::PosixProcesses processes;
#endif
    platform::os().files = &files;
    platform::os().clock = &clock;
    platform::os().processes = &processes;
}
