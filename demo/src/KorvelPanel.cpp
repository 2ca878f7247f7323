// KorvelPanel.exe, the demo product's panel: a small window that shows the language and the
// endpoint of PanelConfig.ini and what the panel SDK makes of them.
//   KorvelPanel.exe          show the panel (an instance already running shows its window)
//   KorvelPanel.exe -h       start hidden, as the logon Run entry does
//   KorvelPanel.exe --print  print what the window would show, key=value lines, and end
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "PanelSdk.h"
#include "ProductFiles.h"

namespace {

const wchar_t* const kWindowClass = L"KorvelPanelWindow";

struct PanelView {
    std::wstring configPath;
    PanelSettings settings;
    std::wstring sdk;  // what the SDK said, or why it could not be asked
    bool sdkLoaded = false;
};

PanelView panel;

// PanelSdk.dll is loaded from this program's own folder by its full path only: a bare name
// would let the loader pick up a copy planted in the current folder or on the PATH.
std::wstring askSdk(const PanelSettings& settings, bool& loaded) {
    loaded = false;
    std::wstring folder = programFolder();
    if (folder.empty()) return L"cannot tell this program's folder";
    std::wstring path = folder + L"\\PanelSdk.dll";
    HMODULE sdk = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!sdk) return L"PanelSdk.dll is missing beside KorvelPanel.exe";
    auto version = reinterpret_cast<PanelSdkVersionCall>(
        reinterpret_cast<void*>(GetProcAddress(sdk, "PanelSdkVersion")));
    auto endpoint = reinterpret_cast<PanelSdkEndpointCall>(
        reinterpret_cast<void*>(GetProcAddress(sdk, "PanelSdkEndpoint")));
    std::wstring text = L"PanelSdk.dll has no PanelSdkVersion";
    if (version) {
        loaded = true;
        text = version();
        wchar_t address[64] = {};
        if (endpoint && settings.endpointFound &&
            endpoint(widen(settings.address).c_str(), settings.port, address, 64) > 0) {
            text += std::wstring(L", ") + address;
        }
    }
    FreeLibrary(sdk);
    return text;
}

void refresh() {
    panel.configPath = panelConfigPath();
    panel.settings = readPanelSettingsFile(panel.configPath);
    panel.sdk = askSdk(panel.settings, panel.sdkLoaded);
}

std::wstring languageText() {
    const PanelSettings& s = panel.settings;
    return s.languageFound
               ? widen(languageNameOf(s.language) + " (" + languageIdText(s.language) + ")")
               : L"not configured";
}

std::wstring endpointText() {
    const PanelSettings& s = panel.settings;
    return s.endpointFound ? widen(s.address + ":" + std::to_string(s.port)) : L"not configured";
}

std::wstring titleText() {
    const PanelSettings& s = panel.settings;
    if (!s.languageFound && !s.endpointFound) return L"KorvelPanel - not configured";
    std::wstring language = s.languageFound ? widen(languageNameOf(s.language)) : L"?";
    std::wstring endpoint = s.endpointFound ? endpointText() : L"?";
    return L"KorvelPanel - " + language + L" - " + endpoint;
}

// "running=hidden", "running=shown" or "running=no": another instance and its window.
std::string runningText() {
    HWND other = FindWindowW(kWindowClass, nullptr);
    if (!other) return "no";
    return IsWindowVisible(other) ? "shown" : "hidden";
}

int printView() {
    const PanelSettings& s = panel.settings;
    std::string text = "config=" + narrow(panel.configPath) + "\r\n";
    text += "language=" +
            (s.languageFound ? languageIdText(s.language) + " " + languageNameOf(s.language)
                             : std::string("none")) +
            "\r\n";
    text += "endpoint=" + (s.endpointFound ? narrow(endpointText()) : std::string("none")) + "\r\n";
    text += "sdk=" + std::string(panel.sdkLoaded ? "" : "missing: ") + narrow(panel.sdk) + "\r\n";
    text += "running=" + runningText() + "\r\n";
    if (!s.problem.empty()) text += "problem=" + s.problem + "\r\n";
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    bool ok = out && out != INVALID_HANDLE_VALUE &&
              WriteFile(out, text.data(), DWORD(text.size()), &written, nullptr);
    return ok ? 0 : 1;
}

void paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH page = CreateSolidBrush(RGB(244, 246, 248));
    FillRect(dc, &client, page);
    DeleteObject(page);
    RECT band = {0, 0, client.right, 48};
    HBRUSH brand = CreateSolidBrush(RGB(0, 92, 110));
    FillRect(dc, &band, brand);
    DeleteObject(brand);
    HFONT heading = CreateFontW(-22, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                CLEARTYPE_QUALITY, 0, L"Tahoma");
    HFONT body = CreateFontW(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             CLEARTYPE_QUALITY, 0, L"Tahoma");
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, heading);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT title = {16, 0, client.right - 16, 48};
    DrawTextW(dc, L"Korvel Panel", -1, &title, DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, body);
    SetTextColor(dc, RGB(20, 30, 40));
    const std::wstring lines[] = {
        L"Language:  " + languageText(),
        L"Endpoint:  " + endpointText(),
        L"Panel SDK:  " + panel.sdk,
        L"Configuration:  " + panel.configPath,
    };
    int y = 64;
    for (const std::wstring& line : lines) {
        RECT r = {16, y, client.right - 16, y + 24};
        DrawTextW(dc, line.c_str(), -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        y += 28;
    }
    SelectObject(dc, old);
    DeleteObject(heading);
    DeleteObject(body);
    EndPaint(window, &ps);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            // Shown later than it started (hidden at logon): read the file again.
            if (wParam) {
                refresh();
                SetWindowTextW(window, titleText().c_str());
                InvalidateRect(window, nullptr, TRUE);
            }
            break;
        case WM_PAINT:
            paint(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool hasArgument(const wchar_t* wanted) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return false;
    bool found = false;
    for (int i = 1; i < count; ++i) found = found || lstrcmpiW(args[i], wanted) == 0;
    LocalFree(args);
    return found;
}

// The panel that started hidden at logon is the one the user opens from the Start menu.
bool showRunningPanel(bool hidden) {
    HWND other = FindWindowW(kWindowClass, nullptr);
    if (!other) return false;
    if (!hidden) {
        ShowWindow(other, SW_SHOWNORMAL);
        SetForegroundWindow(other);
    }
    return true;
}

int runWindow(HINSTANCE instance, bool hidden) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass)) return 2;
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, 520, 190};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExW(0, kWindowClass, titleText().c_str(), style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return 3;
    if (!hidden) {
        // The first ShowWindow of a program started with STARTF_USESHOWWINDOW takes the
        // starter's choice instead (an installer starts its programs hidden); ask again.
        ShowWindow(window, SW_SHOWNORMAL);
        if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOWNORMAL);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Nothing this program loads later is searched for in the current folder.
    SetDllDirectoryW(L"");
    refresh();
    if (hasArgument(L"--print")) return printView();
    bool hidden = hasArgument(L"-h");
    if (showRunningPanel(hidden)) return 0;
    return runWindow(instance, hidden);
}
