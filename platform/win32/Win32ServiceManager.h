// The local service control manager through the advapi32 service calls.
#pragma once

#include "platform/ServiceManager.h"

namespace win32 {

class Win32ServiceManager : public platform::ServiceManager {
public:
    platform::ServiceHandle openManager() override;
    platform::ServiceHandle openService(platform::ServiceHandle manager,
                                        const char16_t* name) override;
    platform::ServiceHandle createService(platform::ServiceHandle manager, const char16_t* name,
                                          const char16_t* binaryPath) override;
    bool setDescription(platform::ServiceHandle service, const char16_t* description) override;
    bool start(platform::ServiceHandle service) override;
    bool controlStop(platform::ServiceHandle service, std::uint32_t& state) override;
    bool queryState(platform::ServiceHandle service, std::uint32_t& state) override;
    bool queryProcessId(platform::ServiceHandle service, std::uint32_t& processId) override;
    bool queryBinaryPath(platform::ServiceHandle service, std::u16string& binaryPath) override;
    bool remove(platform::ServiceHandle service) override;
    bool queryOwner(const char16_t* name, std::u16string& owner) override;
    bool setOwner(const char16_t* name, const char16_t* owner) override;
    void close(platform::ServiceHandle handle) override;
};

}  // namespace win32
