#include "app/setup/SetupPlatform.h"

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32UsbBus.h"
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
    win32::installWin32Platform();
#ifdef TS_SIMULATED_USB
    static win32::Win32UsbBus usb;
    static SimulatedUsbBus simulated(executableFolder + u"\\usb-devices.txt", usb);
    platform::os().usb = &simulated;
    traceFile = executableFolder + u"\\wizard-trace.txt";
    wizardTrace = appendTrace;
#endif
}
