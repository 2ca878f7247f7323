#include "platform/Platform.h"
#include "tools/pkgtool/Command.h"

#ifdef _WIN32
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Codepage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Security.h"
#include "platform/win32/Win32ServiceManager.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UsbBus.h"
#include "platform/win32/Win32XmlFiles.h"
#else
#include "platform/Utf8Codepage.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/PosixThreads.h"
#include "platform/posix/PosixXmlFiles.h"
#endif

// Natively there is no registry, service manager, shell or USB bus: those slots stay empty and
// the commands that need them say so.
void installSystemPlatform() {
    platform::Platform& os = platform::os();
#ifdef _WIN32
    static win32::Win32FileSystem files;
    static win32::Win32Codepage codepage;
    static win32::Win32XmlFiles xml;
    static win32::Win32Clock clock;
    static win32::Win32Processes processes;
    static win32::Win32Threads threads;
    static win32::Win32Registry registry;
    static win32::Win32ServiceManager services;
    static win32::Win32Shell shell;
    static win32::Win32SystemInfo system;
    static win32::Win32UsbBus usb;
    static win32::GdiplusSession gdiplus;
    static win32::Win32Pictures pictures;
    static win32::Win32Security security;
    os.security = &security;
    os.registry = &registry;
    os.services = &services;
    os.shell = &shell;
    os.system = &system;
    os.usb = &usb;
    os.pictures = gdiplus.started() ? &pictures : nullptr;
#else
    static posix::PosixFileSystem files;
    static platform::Utf8Codepage codepage;
    static posix::PosixXmlFiles xml;
    static posix::PosixClock clock;
    static posix::PosixProcesses processes;
    static posix::PosixThreads threads;
#endif
    os.files = &files;
    os.codepage = &codepage;
    os.xml = &xml;
    os.clock = &clock;
    os.processes = &processes;
    os.threads = &threads;
}
