#include "app/setup/SetupPlatform.h"

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32UsbBus.h"
#ifdef TS_SIMULATED_USB
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/setup/SimulatedPackage.h"
#include "app/setup/SimulatedUsbBus.h"
#include "common/Text.h"
#include "platform/SystemInfo.h"
#include "platform/win32/Wide.h"
#include "wizard/WizardTrace.h"

namespace {
// The test build records what the wizard showed, one UTF-8 line an event, for the end-to-end
// tests to read.
std::u16string traceFile;
// A test that must look at the screen at one moment holds the wizard there: while this file
// holds the very line just recorded, the window thread waits (the frame it pushed stays on the
// screen, and a worker that sends it a message waits too) until the file is gone.
std::u16string holdFile;
constexpr int kLongestHoldMs = 600000;

bool holdFileSays(const std::string& line) {
    FILE* in = _wfopen(wide(holdFile.c_str()), L"rb");
    if (!in) return false;
    char text[512] = {};
    std::size_t n = std::fread(text, 1, sizeof text - 1, in);
    std::fclose(in);
    std::string wanted(text, n);
    while (!wanted.empty() && (wanted.back() == '\n' || wanted.back() == '\r')) wanted.pop_back();
    return wanted == line;
}

// A deployment tool runs the installer as LocalSystem; Wine runs every program as its one user.
// The test build takes itself for LocalSystem while "as-localsystem.txt" lies beside it (and the
// test points the account's own shell folders where SYSTEM's are).
class SimulatedLocalSystem : public platform::SystemInfo {
public:
    SimulatedLocalSystem(std::u16string marker, platform::SystemInfo& real)
        : marker_(std::move(marker)), real_(real) {}
    bool enableDebugPrivilege() override { return real_.enableDebugPrivilege(); }
    std::uint16_t nativeArchitecture() override { return real_.nativeArchitecture(); }
    int monitorCount() override { return real_.monitorCount(); }
    bool runsAsLocalSystem() override { return asSystem() || real_.runsAsLocalSystem(); }
    bool accountName(std::u16string& name) override {
        if (!asSystem()) return real_.accountName(name);
        name = u"NT AUTHORITY\\SYSTEM";
        return true;
    }

private:
    bool asSystem() const {
        return GetFileAttributesW(wide(marker_.c_str())) != INVALID_FILE_ATTRIBUTES;
    }
    std::u16string marker_;
    platform::SystemInfo& real_;
};

void holdWhileAsked(const std::string& line) {
    for (int waited = 0; waited < kLongestHoldMs && holdFileSays(line); waited += 100) Sleep(100);
}

void appendTrace(const char* event, std::u16string_view text) {
    FILE* out = _wfopen(wide(traceFile.c_str()), L"ab");
    if (!out) return;
    std::string line = event;
    if (!text.empty()) line += " " + utf16ToUtf8(text);
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    std::fwrite((line + "\n").data(), 1, line.size() + 1, out);
    std::fclose(out);
    holdWhileAsked(line);
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
    static SimulatedPackage package(executableFolder + u"\\usbsim-package.bin",
                                    *platform::os().resources);
    platform::os().resources = &package;
    static SimulatedLocalSystem system(executableFolder + u"\\as-localsystem.txt",
                                       *platform::os().system);
    platform::os().system = &system;
    traceFile = executableFolder + u"\\wizard-trace.txt";
    holdFile = executableFolder + u"\\wizard-hold.txt";
    wizardTrace = appendTrace;
#endif
}
