#include "platform/Platform.h"
#include "tools/pkgtool/Command.h"

#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#else
#include "platform/posix/PosixFileSystem.h"
#endif

void installSystemPlatform() {
#ifdef _WIN32
    static win32::Win32FileSystem files;
    static win32::Win32Registry registry;
    platform::os().registry = &registry;
#else
    static posix::PosixFileSystem files;
#endif
    platform::os().files = &files;
}
