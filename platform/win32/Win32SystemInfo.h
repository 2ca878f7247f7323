#pragma once

#include "platform/SystemInfo.h"
#include "platform/Threads.h"

namespace win32 {

class Win32SystemInfo : public platform::SystemInfo {
public:
    bool enableDebugPrivilege() override;
    std::uint16_t nativeArchitecture() override;
    int monitorCount() override;
    bool runsAsLocalSystem() override;
    bool accountName(std::u16string& name) override;
};

class Win32Threads : public platform::Threads {
public:
    std::unique_ptr<platform::ThreadHandle> start(std::function<void()> body) override;
};

}  // namespace win32
