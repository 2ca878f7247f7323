#include "platform/Platform.h"
#include "tools/pkgtool/Command.h"

#ifdef _WIN32
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Codepage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ServiceManager.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32UsbBus.h"
#include "platform/win32/Win32XmlFiles.h"
#else
#include "platform/Utf8Codepage.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/PosixXmlFiles.h"
#endif

void installSystemPlatform() {
#ifdef _WIN32
    static win32::Win32FileSystem files;
    static win32::GdiplusSession gdiplus;
    static win32::Win32Pictures pictures;
    static win32::Win32UsbBus usb;
    platform::os().pictures = gdiplus.started() ? &pictures : nullptr;
    platform::os().usb = &usb;
    static win32::Win32Codepage codepage;
    static win32::Win32XmlFiles xml;
    static win32::Win32Registry registry;
    platform::os().registry = &registry;
    static win32::Win32Clock clock;
    static win32::Win32Processes processes;
    static win32::Win32ServiceManager services;
    static win32::Win32Shell shell;
    platform::os().services = &services;
    platform::os().shell = &shell;
#else
    static posix::PosixFileSystem files;
    static platform::Utf8Codepage codepage;
    static posix::PosixXmlFiles xml;
    static posix::PosixClock clock;
    static posix::PosixProcesses processes;
#endif
    platform::os().files = &files;
    platform::os().codepage = &codepage;
    platform::os().xml = &xml;
    platform::os().clock = &clock;
    platform::os().processes = &processes;
}
