#include "platform/win32/Win32ServiceManager.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {
SC_HANDLE sc(platform::ServiceHandle handle) {
    return static_cast<SC_HANDLE>(handle);
}
}  // namespace

platform::ServiceHandle Win32ServiceManager::openManager() {
    return OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
}

platform::ServiceHandle Win32ServiceManager::openService(platform::ServiceHandle manager,
                                                         const char16_t* name) {
    return OpenServiceW(sc(manager), wide(name), SERVICE_ALL_ACCESS);
}

platform::ServiceHandle Win32ServiceManager::createService(platform::ServiceHandle manager,
                                                           const char16_t* name,
                                                           const char16_t* binaryPath) {
    return CreateServiceW(sc(manager), wide(name), wide(name), SERVICE_ALL_ACCESS,
                          SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                          wide(binaryPath), nullptr, nullptr, nullptr, nullptr, nullptr);
}

bool Win32ServiceManager::setDescription(platform::ServiceHandle service,
                                         const char16_t* description) {
    SERVICE_DESCRIPTIONW text;
    text.lpDescription = const_cast<wchar_t*>(wide(description));
    return ChangeServiceConfig2W(sc(service), SERVICE_CONFIG_DESCRIPTION, &text) != FALSE;
}

bool Win32ServiceManager::start(platform::ServiceHandle service) {
    return StartServiceW(sc(service), 0, nullptr) != FALSE;
}

bool Win32ServiceManager::controlStop(platform::ServiceHandle service, std::uint32_t& state) {
    SERVICE_STATUS status = {};
    if (!ControlService(sc(service), SERVICE_CONTROL_STOP, &status)) return false;
    state = status.dwCurrentState;
    return true;
}

namespace {
bool queryStatus(platform::ServiceHandle service, SERVICE_STATUS_PROCESS& status) {
    DWORD needed = 0;
    return QueryServiceStatusEx(sc(service), SC_STATUS_PROCESS_INFO,
                                reinterpret_cast<LPBYTE>(&status), sizeof(status),
                                &needed) != FALSE;
}
}  // namespace

bool Win32ServiceManager::queryState(platform::ServiceHandle service, std::uint32_t& state) {
    SERVICE_STATUS_PROCESS status = {};
    if (!queryStatus(service, status)) return false;
    state = status.dwCurrentState;
    return true;
}

bool Win32ServiceManager::queryProcessId(platform::ServiceHandle service,
                                         std::uint32_t& processId) {
    SERVICE_STATUS_PROCESS status = {};
    if (!queryStatus(service, status)) return false;
    bool alone = (status.dwServiceType & SERVICE_WIN32_OWN_PROCESS) != 0 &&
                 (status.dwServiceType & SERVICE_WIN32_SHARE_PROCESS) == 0;
    processId = alone ? status.dwProcessId : 0;
    return true;
}

bool Win32ServiceManager::queryBinaryPath(platform::ServiceHandle service,
                                          std::u16string& binaryPath) {
    DWORD needed = 0;
    QueryServiceConfigW(sc(service), nullptr, 0, &needed);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(QUERY_SERVICE_CONFIGW)) {
        return false;
    }
    std::vector<std::uint8_t> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(sc(service), config, needed, &needed)) return false;
    binaryPath = config->lpBinaryPathName ? narrow16(config->lpBinaryPathName) : u"";
    return true;
}

bool Win32ServiceManager::remove(platform::ServiceHandle service) {
    return DeleteService(sc(service)) != FALSE;
}

// Handles are closed on the way out of a failed call: the error that call left is the one the
// setup log must show, not whatever closing did to it.
void Win32ServiceManager::close(platform::ServiceHandle handle) {
    if (!handle) return;
    DWORD error = GetLastError();
    CloseServiceHandle(sc(handle));
    SetLastError(error);
}

namespace {

constexpr wchar_t kServicesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\";
constexpr wchar_t kOwnerValue[] = L"ProductIdentity";

// The service's own key; not redirected for a 32-bit process (SYSTEM is shared by both views).
HKEY openServiceKey(const char16_t* name, REGSAM access) {
    HKEY key = nullptr;
    std::wstring path = std::wstring(kServicesKey) + wide(name);
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key) == ERROR_SUCCESS
               ? key
               : nullptr;
}

}  // namespace

bool Win32ServiceManager::queryOwner(const char16_t* name, std::u16string& owner) {
    HKEY key = openServiceKey(name, KEY_QUERY_VALUE);
    if (!key) return false;
    wchar_t text[260] = {};
    DWORD type = 0, size = sizeof text - sizeof(wchar_t);
    bool read = RegQueryValueExW(key, kOwnerValue, nullptr, &type, reinterpret_cast<BYTE*>(text),
                                 &size) == ERROR_SUCCESS &&
                type == REG_SZ;
    RegCloseKey(key);
    if (!read) return false;
    owner = narrow16(text);
    return true;
}

bool Win32ServiceManager::setOwner(const char16_t* name, const char16_t* owner) {
    HKEY key = openServiceKey(name, KEY_SET_VALUE);
    if (!key) return false;
    std::wstring text = wide(owner);
    bool set =
        RegSetValueExW(key, kOwnerValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
}

}  // namespace win32
