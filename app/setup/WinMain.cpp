// The process entry of setup.exe: names the window after string 105, reads the
// settings next to the executable, creates the hidden layered window, starts the wizard and
// runs the message loop. The exit status says whether the installation completed.
#include <windows.h>

#include <string>

#include "app/setup/SetupPlatform.h"
#include "app/setup/WindowProcedure.h"
#include "engine/SetupLog.h"
#include "platform/win32/DllSafety.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32Platform.h"
#include "run/RunEnd.h"
#include "run/RunStart.h"

namespace {

constexpr int kTitleString = 105;
constexpr int kIcon = 107;
constexpr int kNameUnits = 100;

ATOM registerWizardClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSEXW wc{};
    static_assert(sizeof(wc) == (sizeof(void*) == 4 ? 48 : 80));
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = wizardWindowProcedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIcon));
    wc.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(kIcon));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc);
}

int runMessageLoop(HINSTANCE instance) {
    // There is no accelerator table: no key is ever translated as one.
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(kTitleString));
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0)) {
        if (!TranslateAcceleratorW(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return int(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // Before anything loads a DLL: only the system folder is searched, never the folder the
    // installer was started from (a downloads folder holds whatever a web page saved there).
    win32::restrictDllSearchToSystem();

    wchar_t title[kNameUnits] = {};
    wchar_t className[kNameUnits] = {};
    LoadStringW(instance, kTitleString, title, kNameUnits);
    LoadStringW(instance, kTitleString, className, kNameUnits);
    int length = lstrlenW(className);
    if (length + 5 < kNameUnits) wsprintfW(className + length, L"Class");

    // GDI+ starts when the window is first shown: an installation without a window never
    // loads it.
    shutDownGraphics = win32::stopGdiplus;

    std::u16string path = win32::executablePath();
    installSetupPlatform(path.substr(0, path.rfind(u'\\')));
    int early = prepareWizard(
        path, commandLine ? std::u16string_view(reinterpret_cast<const char16_t*>(commandLine))
                          : std::u16string_view());
    if (early != kRunGoesOn) return early;
    registerWizardClass(instance, className);
    HWND window = CreateWindowExW(WS_EX_LAYERED, className, title, WS_POPUP, CW_USEDEFAULT, 0,
                                  CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    // Nothing was installed: a deployment tool must not read this as success.
    if (!window) {
        logEvent(
            "the window closed before any installation started: CreateWindowExW (Windows "
            "error " +
            std::to_string(GetLastError()) + ")");
        return endRun(kExitNotStarted);
    }
    setupStatusChannel().attach(window);
    startWizard(window, &setupStatusChannel());
    return runMessageLoop(instance);
}
