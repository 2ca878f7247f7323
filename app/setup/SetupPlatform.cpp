#include "app/setup/SetupPlatform.h"

#include "platform/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Codepage.h"
#include "platform/win32/Win32Drawing.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32FolderPicker.h"
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Security.h"
#include "platform/win32/Win32Resources.h"
#include "platform/win32/Win32ServiceManager.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemInfo.h"
#include "platform/win32/Win32UsbBus.h"
#include "platform/win32/Win32WindowHost.h"
#include "platform/win32/Win32XmlFiles.h"
#ifdef TS_SIMULATED_USB
#include <cstdio>

#include "app/setup/SimulatedUsbBus.h"
#include "common/Text.h"
#include "platform/win32/Wide.h"
#include "wizard/PageFlow.h"

namespace {
// The test build records what the wizard showed, one UTF-8 line an event, for the end-to-end
// tests to read.
std::u16string traceFile;

void appendTrace(const char* event, std::u16string_view text) {
    FILE* out = _wfopen(wide(traceFile.c_str()), L"ab");
    if (!out) return;
    std::string line = event;
    if (!text.empty()) line += " " + utf16ToUtf8(text);
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    line += "\n";
    std::fwrite(line.data(), 1, line.size(), out);
    std::fclose(out);
}
}  // namespace
#endif

WindowStatusChannel& setupStatusChannel() {
    static WindowStatusChannel channel;
    return channel;
}

void installSetupPlatform([[maybe_unused]] const std::u16string& executableFolder) {
    platform::Platform& os = platform::os();
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
    static win32::Win32Pictures pictures;
    static win32::Win32Resources resources;
    static win32::Win32WindowHost windows;
    static win32::Win32Drawing drawing;
    static win32::Win32FolderPicker folders;
    static win32::Win32Security security;
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
#ifdef TS_SIMULATED_USB
    static SimulatedUsbBus simulated(executableFolder + u"\\usb-devices.txt", usb);
    os.usb = &simulated;
    traceFile = executableFolder + u"\\wizard-trace.txt";
    wizardTrace = appendTrace;
#endif
}
