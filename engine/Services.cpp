#include "engine/Services.h"

#include <string>

#include "engine/CommandLine.h"
#include "platform/Clock.h"
#include "platform/Processes.h"

using platform::ServiceHandle;

namespace {

// Polls every 500 ms until `done(state)`; the caller has just read `state` and noted `since`.
// False when a query fails or more than 5 s have passed since `since`.
template <typename Done>
bool pollUntil(ServiceHandle service, std::uint32_t since, std::uint32_t& state, Done done) {
    auto& clock = platform::clock();
    while (!done(state)) {
        if (platform::elapsedSince(since, clock.tickCount()) > kServiceWaitMs) return false;
        clock.sleep(kServicePollMs);
        if (!platform::services().queryState(service, state)) return false;
    }
    return true;
}

// Closes its handle however the scope is left: a service handle left open keeps a service that
// is marked for deletion in place, so memory running out must not leak one.
class OpenService {
public:
    explicit OpenService(ServiceHandle handle) : handle_(handle) {}
    OpenService(const OpenService&) = delete;
    OpenService& operator=(const OpenService&) = delete;
    ~OpenService() {
        if (handle_) platform::services().close(handle_);
    }
    ServiceHandle get() const { return handle_; }

private:
    ServiceHandle handle_;
};

// Opens the manager and the service, runs `action` on the service, closes both. False when
// either cannot be opened.
template <typename Action>
bool withService(const char16_t* name, Action action) {
    auto& scm = platform::services();
    OpenService manager(scm.openManager());
    if (!manager.get()) return false;
    OpenService service(scm.openService(manager.get(), name));
    return service.get() && action(service.get());
}

// The process a running service has to itself, opened before the stop so that its id cannot
// be given to another process meanwhile; none when it shares its process, is not running, or
// cannot be opened.
platform::OsHandle openOwnProcess(ServiceHandle service) {
    std::uint32_t id = 0;
    if (!platform::services().queryProcessId(service, id) || id == 0) return nullptr;
    return platform::processes().open(id);
}

// A service reports itself stopped before its process has ended and let go of its program
// file: the stop is complete once the process is gone too.
bool waitForProcessEnd(platform::OsHandle process) {
    if (!process) return true;
    auto& procs = platform::processes();
    bool ended = procs.wait(process, kServiceExitWaitMs) == platform::WaitResult::Ended;
    procs.close(process);
    return ended;
}

bool requestStop(ServiceHandle service) {
    auto& scm = platform::services();
    std::uint32_t state = 0;
    if (!scm.controlStop(service, state)) return false;
    if (state == platform::kServiceStopped) return true;
    auto& clock = platform::clock();
    clock.sleep(kServicePollMs);
    std::uint32_t since = clock.tickCount();
    if (!scm.queryState(service, state)) return false;
    // Anything but stopped counts as not there yet, whether it says stop-pending or not.
    auto stopped = [](std::uint32_t s) { return s == platform::kServiceStopped; };
    return pollUntil(service, since, state, stopped);
}

}  // namespace

bool serviceNameOf(std::u16string_view executablePath, TextBuffer& name) {
    if (executablePath.size() >= kTextUnits) {
        name[0] = 0;
        return false;
    }
    return copyText(name, stemOf(executablePath));
}

bool serviceExists(const char16_t* name) {
    return withService(name, [](ServiceHandle) { return true; });
}

bool startService(ServiceHandle service) {
    auto& scm = platform::services();
    std::uint32_t state = 0;
    if (!scm.queryState(service, state)) return false;
    if (state == platform::kServiceRunning) return true;
    if (!scm.start(service)) return false;
    std::uint32_t since = platform::clock().tickCount();
    if (!scm.queryState(service, state)) return false;
    auto settled = [](std::uint32_t s) { return s != platform::kServiceStartPending; };
    return pollUntil(service, since, state, settled) && state == platform::kServiceRunning;
}

bool stopService(ServiceHandle service) {
    std::uint32_t state = 0;
    if (!platform::services().queryState(service, state)) return false;
    if (state == platform::kServiceStopped) return true;
    platform::OsHandle process = openOwnProcess(service);
    if (!requestStop(service)) {
        platform::processes().close(process);
        return false;
    }
    return waitForProcessEnd(process);
}

bool serviceBinaryPath(const char16_t* name, std::u16string& binaryPath) {
    return withService(name, [&binaryPath](ServiceHandle service) {
        return platform::services().queryBinaryPath(service, binaryPath);
    });
}

bool startServiceByName(const char16_t* name) {
    return withService(name, startService);
}

bool stopServiceByName(const char16_t* name) {
    return withService(name, stopService);
}

bool deleteServiceByName(const char16_t* name) {
    return withService(name, [](ServiceHandle service) {
        stopService(service);
        return platform::services().remove(service);
    });
}

bool createService(const char16_t* name, const char16_t* executablePath,
                   const char16_t* description) {
    std::u16string binaryPath;
    if (!executablePath ||
        !quotedCommandLine(std::u16string_view(executablePath), {}, binaryPath)) {
        return false;
    }
    auto& scm = platform::services();
    OpenService manager(scm.openManager());
    if (!manager.get()) return false;
    OpenService service(scm.createService(manager.get(), name, binaryPath.c_str()));
    if (service.get() && description) scm.setDescription(service.get(), description);
    return service.get() != nullptr;
}
