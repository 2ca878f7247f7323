// The product's Windows services: probe, create, start, stop and delete on the local service
// control manager. Each operation opens and closes its own handles; start and stop poll the
// state every 500 ms and give up once more than 5 s have passed, leaving a service that is
// still pending as it is.
#pragma once

#include <string>
#include <string_view>

#include "common/Text.h"
#include "platform/ServiceManager.h"

constexpr std::uint32_t kServicePollMs = 500;
constexpr std::uint32_t kServiceWaitMs = 5000;
// How long a stopped service's own process may take to end.
constexpr std::uint32_t kServiceExitWaitMs = 20000;

// A service is named after its executable: the stem of the file name ("VantrelService" for
// ...\VantrelService.exe). False when the path does not fit a path buffer.
bool serviceNameOf(std::u16string_view executablePath, TextBuffer& name);

// True when the service can be opened.
bool serviceExists(const char16_t* name);

// On an open service handle. True once the service runs; true at once when it already runs.
// False when a query fails, StartServiceW fails, the service leaves the start-pending state
// for anything but running, or it is still pending after the wait.
bool startService(platform::ServiceHandle service);

// On an open service handle. True once the service is stopped and the process it ran in alone
// has ended (waited for up to 20 s: the service manager says stopped before the process lets
// go of its program file); true at once when it already is stopped. False when a query
// fails, the stop request fails, it is still not stopped after the wait, or its process has
// not ended.
bool stopService(platform::ServiceHandle service);

// The command line the named service is registered to run. False when it cannot be read.
bool serviceBinaryPath(const char16_t* name, std::u16string& binaryPath);

// Opens the service by name and starts or stops it as above. False when it cannot be opened.
bool startServiceByName(const char16_t* name);
bool stopServiceByName(const char16_t* name);

// Stops the service (whatever that gives) and deletes it. True when DeleteService succeeded.
// The removal of a known service during installation and uninstallation is this same call.
bool deleteServiceByName(const char16_t* name);

// Creates an own-process service started automatically, `name` as service and display name,
// running the executable with its path in double quotes. A description, when given, is set
// afterwards and its result not looked at. True when the service was created; false when the
// manager cannot be opened, the path cannot be quoted (see quotedCommandLine) or creation
// fails.
bool createService(const char16_t* name, const char16_t* executablePath,
                   const char16_t* description);
