#include "platform/Platform.h"
#include "tools/pkgtool/Command.h"

#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32UsbBus.h"
#else
#include "platform/posix/PosixFileSystem.h"
#endif

void installSystemPlatform() {
#ifdef _WIN32
    static win32::Win32FileSystem files;
    static win32::GdiplusSession gdiplus;
    static win32::Win32Pictures pictures;
    static win32::Win32UsbBus usb;
    platform::os().pictures = gdiplus.started() ? &pictures : nullptr;
    platform::os().usb = &usb;
#else
    static posix::PosixFileSystem files;
#endif
    platform::os().files = &files;
}
