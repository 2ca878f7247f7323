#include "ProductFiles.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <cstdio>
#include <vector>

std::wstring panelConfigPath() {
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_DOCUMENTS, FALSE)) return {};
    return std::wstring(folder) + L"\\Vantrel\\PanelConfig.ini";
}

PanelSettings readPanelSettingsFile(const std::wstring& path) {
    PanelSettings none;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        none.problem = "PanelConfig.ini is missing";
        return none;
    }
    LARGE_INTEGER size = {};
    std::string text;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= LONGLONG(kMaxPanelConfigSize);
    if (ok) {
        text.resize(std::size_t(size.QuadPart));
        DWORD got = 0;
        ok = text.empty() ||
             (ReadFile(file, text.data(), DWORD(text.size()), &got, nullptr) && got == text.size());
    }
    CloseHandle(file);
    if (!ok) {
        none.problem = "PanelConfig.ini cannot be read or is larger than 64 KiB";
        return none;
    }
    return parsePanelSettings(text);
}

std::wstring programFolder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            std::wstring path(buffer.data(), n);
            std::size_t cut = path.rfind(L'\\');
            return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool appendProductLog(const wchar_t* fileName, const std::string& line) {
    wchar_t windows[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    std::wstring folder = std::wstring(windows) + L"\\Logs";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\Brenmark";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\" + fileName;
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u pid %lu: ", now.wYear,
                  now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId());
    std::string text = stamp + line + "\r\n";
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(file);
    return ok;
}

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(std::size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr,
                            nullptr);
    }
    return out;
}
