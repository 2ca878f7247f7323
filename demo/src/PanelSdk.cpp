// PanelSdk.dll. Built twice for the tests: the real library, and (with PANEL_SDK_IMPOSTOR) one
// that names itself an impostor, planted where a careless loader would find it.
#include <windows.h>

#include <cwchar>

#include "PanelSdk.h"

#ifdef PANEL_SDK_IMPOSTOR
#define PANEL_SDK_NAME L"impostor PanelSdk"
#else
#define PANEL_SDK_NAME L"PanelSdk 1.0"
#endif

extern "C" __declspec(dllexport) const wchar_t* PanelSdkVersion(void) {
    return PANEL_SDK_NAME;
}

extern "C" __declspec(dllexport) int PanelSdkEndpoint(const wchar_t* address, int port,
                                                      wchar_t* out, int units) {
    if (!address || !out || units <= 0 || port <= 0 || port > 65535) return -1;
    int n = std::swprintf(out, std::size_t(units), L"tcp://%ls:%d", address, port);
    return n >= 0 && n < units ? n : -1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
