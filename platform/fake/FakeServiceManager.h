// A service table with scriptable behaviour: a service can take a number of status queries to
// start or stop, never get there, or fall back to stopped when started. Deletion works as on
// Windows: the service is only marked while handles to it are open, and a marked name cannot
// be created again until it is gone.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/ServiceManager.h"

namespace fake {

class FakeServiceManager : public platform::ServiceManager {
public:
    struct Service {
        std::u16string name;
        std::u16string displayName;
        std::u16string binaryPath;
        std::u16string description;
        std::u16string owner;  // the "ProductIdentity" value beside it; empty: none
        std::uint32_t state = platform::kServiceStopped;
        // Status queries spent pending before a start or stop completes; 0 completes at once,
        // a negative count never completes.
        int pollsToStart = 0;
        int pollsToStop = 0;
        // Where a completed start ends: running, or stopped for a service that fails.
        std::uint32_t startsInto = platform::kServiceRunning;
        bool refusesStop = false;  // ControlService fails
        bool markedForDeletion = false;
        // The process it runs in alone, reported while it is not stopped (a FakeProcesses id,
        // which this table neither starts nor ends: a process may outlive the stop).
        std::uint32_t processId = 0;
        int startCalls = 0;
        int stopCalls = 0;
        // Internal: queries left in the current pending state.
        int pendingLeft = 0;
    };

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

    // Direct access for tests (no fault plan, no trace). Names compare without regard to case.
    Service& add(const std::u16string& name, std::uint32_t state = platform::kServiceStopped);
    Service* find(const std::u16string& name);
    bool has(const std::u16string& name) { return find(name) != nullptr; }
    std::size_t count() const { return services_.size(); }
    // Every service by its case-folded name, for tests that compare the machine before and after.
    const std::map<std::u16string, Service>& table() const { return services_; }
    // Handles opened and not yet closed.
    std::size_t openHandles() const { return handles_.size(); }

private:
    struct Handle {
        bool isManager = false;
        std::u16string key;  // service key, for service handles
    };
    static std::u16string key(std::u16string_view name);
    Service* serviceOf(platform::ServiceHandle handle);
    platform::ServiceHandle newHandle(Handle h);
    void dropIfGone(const std::u16string& key);

    std::map<std::u16string, Service> services_;
    std::map<std::uintptr_t, Handle> handles_;
    std::uintptr_t nextHandle_ = 0x100;
};

}  // namespace fake
