#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include "platform/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Codepage.h"
#include "platform/win32/Win32Drawing.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32FolderPicker.h"
#include "platform/win32/Win32LogFile.h"
#include "platform/win32/Win32MachineLocks.h"
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/Win32Security.h"
#include "platform/win32/Win32ServiceManager.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UsbBus.h"
#include "platform/win32/Win32WindowHost.h"
#include "platform/win32/Win32XmlFiles.h"

namespace win32 {

void installWin32Platform() {
    static Win32FileSystem files;
    static Win32Codepage codepage;
    static Win32XmlFiles xml;
    static Win32Clock clock;
    static Win32Processes processes;
    static Win32Threads threads;
    static Win32Registry registry;
    static Win32ServiceManager services;
    static Win32Shell shell;
    static Win32SystemInfo system;
    static Win32UsbBus usb;
    static Win32Pictures pictures;
    static Win32Resources resources;
    static Win32WindowHost windows;
    static Win32Drawing drawing;
    static Win32FolderPicker folders;
    static Win32Security security;
    static Win32LogFile log;
    static Win32MachineLocks locks;
    platform::Platform& os = platform::os();
    os.files = &files;
    os.codepage = &codepage;
    os.xml = &xml;
    os.clock = &clock;
    os.processes = &processes;
    os.threads = &threads;
    os.registry = &registry;
    os.services = &services;
    os.shell = &shell;
    os.system = &system;
    os.usb = &usb;
    os.pictures = &pictures;
    os.resources = &resources;
    os.windows = &windows;
    os.drawing = &drawing;
    os.folders = &folders;
    os.security = &security;
    os.log = &log;
    os.locks = &locks;
}

std::u16string executablePath() {
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()),
                                     DWORD(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace win32
