#include "platform/Platform.h"
#include "tools/pkgtool/Command.h"

#ifdef _WIN32
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32Platform.h"
#else
#include "platform/Utf8Codepage.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/PosixThreads.h"
#include "platform/posix/PosixXmlFiles.h"
#endif

#ifdef _WIN32
void installSystemPlatform() {
    static win32::GdiplusSession gdiplus;
    win32::installWin32Platform();
    if (!gdiplus.started()) platform::os().pictures = nullptr;
}
#else
// Natively there is no registry, service manager, shell or USB bus: those slots stay empty and
// the commands that need them say so.
void installSystemPlatform() {
    static posix::PosixFileSystem files;
    static platform::Utf8Codepage codepage;
    static posix::PosixXmlFiles xml;
    static posix::PosixClock clock;
    static posix::PosixProcesses processes;
    static posix::PosixThreads threads;
    platform::Platform& os = platform::os();
    os.files = &files;
    os.codepage = &codepage;
    os.xml = &xml;
    os.clock = &clock;
    os.processes = &processes;
    os.threads = &threads;
}
#endif
