// The one table through which the portable core reaches the operating system. Each slot is a
// narrow interface; setup.exe fills it with the Win32 implementations, the native tools with
// the posix ones, and the tests with in-memory fakes that can fail any call.
#pragma once

namespace platform {

class FileSystem;
class Registry;
class ServiceManager;
class Processes;
class Shell;
class SystemInfo;
class Clock;
class Threads;
class UsbBus;
class Pictures;
class Codepage;
class XmlFiles;
class Security;
class Resources;
class WindowHost;
class Drawing;
class FolderPicker;
class LogFile;
class MachineLocks;

struct Platform {
    FileSystem* files = nullptr;
    Registry* registry = nullptr;
    ServiceManager* services = nullptr;
    Processes* processes = nullptr;
    Shell* shell = nullptr;
    SystemInfo* system = nullptr;
    Clock* clock = nullptr;
    Threads* threads = nullptr;
    UsbBus* usb = nullptr;
    Pictures* pictures = nullptr;
    Codepage* codepage = nullptr;
    XmlFiles* xml = nullptr;
    Security* security = nullptr;
    Resources* resources = nullptr;
    WindowHost* windows = nullptr;
    Drawing* drawing = nullptr;
    FolderPicker* folders = nullptr;
    LogFile* log = nullptr;
    MachineLocks* locks = nullptr;
};

// The table in force. Tests swap slots and restore them; the core reads it on every call.
Platform& os();

}  // namespace platform
