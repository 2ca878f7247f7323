// Facts about the machine and the process that the install worker asks for.
#pragma once

#include <cstdint>

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
};

inline SystemInfo& systemInfo() {
    return *os().system;
}

}  // namespace platform
