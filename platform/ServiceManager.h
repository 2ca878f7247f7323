// The service control manager of the local machine. Handles are opaque and each one is closed
// by its opener; every operation of the engine opens and closes its own.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace platform {

// An SC_HANDLE of the manager or of one service; none is null.
using ServiceHandle = void*;

// dwCurrentState values the engine looks at.
constexpr std::uint32_t kServiceStopped = 1;
constexpr std::uint32_t kServiceStartPending = 2;
constexpr std::uint32_t kServiceStopPending = 3;
constexpr std::uint32_t kServiceRunning = 4;

class ServiceManager {
public:
    virtual ~ServiceManager() = default;
    // OpenSCManagerW(NULL, NULL, SC_MANAGER_ALL_ACCESS); none on failure.
    virtual ServiceHandle openManager() = 0;
    // OpenServiceW(manager, name, SERVICE_ALL_ACCESS); none on failure.
    virtual ServiceHandle openService(ServiceHandle manager, const char16_t* name) = 0;
    // CreateServiceW with `name` as service and display name, SERVICE_ALL_ACCESS, an own-process
    // service started automatically with normal error control, no group, tag, dependencies,
    // account or password. `binaryPath` is stored exactly as given. None on failure.
    virtual ServiceHandle createService(ServiceHandle manager, const char16_t* name,
                                        const char16_t* binaryPath) = 0;
    // ChangeServiceConfig2W(SERVICE_CONFIG_DESCRIPTION).
    virtual bool setDescription(ServiceHandle service, const char16_t* description) = 0;
    // StartServiceW(service, 0, NULL).
    virtual bool start(ServiceHandle service) = 0;
    // ControlService(SERVICE_CONTROL_STOP); `state` is the dwCurrentState it returned.
    virtual bool controlStop(ServiceHandle service, std::uint32_t& state) = 0;
    // QueryServiceStatusEx(SC_STATUS_PROCESS_INFO); `state` is dwCurrentState.
    virtual bool queryState(ServiceHandle service, std::uint32_t& state) = 0;
    // The same query: dwProcessId when the service runs in a process of its own
    // (SERVICE_WIN32_OWN_PROCESS), else 0 (not running, or sharing its process with others).
    virtual bool queryProcessId(ServiceHandle service, std::uint32_t& processId) = 0;
    // QueryServiceConfigW: the binary path (the command line) the service is registered with.
    virtual bool queryBinaryPath(ServiceHandle service, std::u16string& binaryPath) = 0;
    // DeleteService.
    virtual bool remove(ServiceHandle service) = 0;
    // The product a service belongs to, kept beside it: the REG_SZ value "ProductIdentity" of
    // its key HKLM\SYSTEM\CurrentControlSet\Services\<name>, which goes with the service when
    // it is deleted. False when the service has no such value, or none that fits 259 units.
    virtual bool queryOwner(const char16_t* name, std::u16string& owner) = 0;
    // Sets that value on an existing service.
    virtual bool setOwner(const char16_t* name, const char16_t* owner) = 0;
    // CloseServiceHandle; none is ignored.
    virtual void close(ServiceHandle handle) = 0;
};

inline ServiceManager& services() {
    return *os().services;
}

}  // namespace platform
