// Facts about the machine and the process that the install worker asks for.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace platform {

constexpr std::uint16_t kArchitectureAmd64 = 9;  // PROCESSOR_ARCHITECTURE_AMD64

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // OpenProcessToken, LookupPrivilegeValueW("SeDebugPrivilege"), AdjustTokenPrivileges.
    virtual bool enableDebugPrivilege() = 0;
    // GetNativeSystemInfo's wProcessorArchitecture.
    virtual std::uint16_t nativeArchitecture() = 0;
    // EnumDisplayMonitors, counting one per monitor.
    virtual int monitorCount() = 0;
    // Whether this process runs as LocalSystem (its token's user is S-1-5-18), as deployment
    // tools run installers: its own Start menu, desktop and HKCU are no user's.
    virtual bool runsAsLocalSystem() = 0;
    // The account this process runs as, "DOMAIN\name" (LookupAccountSidW); false when it cannot
    // be told.
    virtual bool accountName(std::u16string& name) = 0;
};

inline SystemInfo& systemInfo() {
    return *os().system;
}

}  // namespace platform
