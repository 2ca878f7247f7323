// VantrelService.exe, the demo product's service: an own-process Windows service that reads
// the panel's endpoint, reports running, and stops when asked. Its only trace is
// <Windows>\Logs\Brenmark\VantrelService.log; it writes nothing into its own folder.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ProductFiles.h"

namespace {

const wchar_t* const kLogFile = L"VantrelService.log";

SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;
SERVICE_STATUS status = {};

void report(DWORD state, DWORD waitHint = 0) {
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = NO_ERROR;
    status.dwWaitHint = waitHint;
    status.dwCheckPoint =
        state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : status.dwCheckPoint + 1;
    SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI control(DWORD code, DWORD, LPVOID, LPVOID) {
    switch (code) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            report(SERVICE_STOP_PENDING, 3000);
            SetEvent(stopEvent);
            return NO_ERROR;
        case SERVICE_CONTROL_INTERROGATE:
            SetServiceStatus(statusHandle, &status);
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

std::string describeStart(const wchar_t* name) {
    std::wstring folder = programFolder();
    PanelSettings settings = readPanelSettingsFile(panelConfigPath());
    std::string endpoint = settings.endpointFound
                               ? settings.address + ":" + std::to_string(settings.port)
                               : "none (" + settings.problem + ")";
    return narrow(name) + " running from " + narrow(folder) + ", serving " + endpoint;
}

void WINAPI serviceMain(DWORD argc, LPWSTR* argv) {
    const wchar_t* name = argc > 0 && argv[0] && argv[0][0] ? argv[0] : L"VantrelService";
    statusHandle = RegisterServiceCtrlHandlerExW(name, control, nullptr);
    if (!statusHandle) return;
    report(SERVICE_START_PENDING, 3000);
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent) {
        status.dwWin32ExitCode = GetLastError();
        report(SERVICE_STOPPED);
        return;
    }
    appendProductLog(kLogFile, describeStart(name));
    report(SERVICE_RUNNING);
    WaitForSingleObject(stopEvent, INFINITE);
    appendProductLog(kLogFile, narrow(name) + " stopped on request");
    CloseHandle(stopEvent);
    report(SERVICE_STOPPED);
}

}  // namespace

int wmain() {
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L"VantrelService"), serviceMain},
                                    {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(table)) return 0;
    if (GetLastError() == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
        std::fputs("VantrelService runs as a Windows service; the installer registers it.\n",
                   stderr);
    }
    return 1;
}
