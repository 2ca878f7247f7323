#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/Services.h"
#include "tests/windows/Win32Machine.h"

namespace {

// Every service a test creates is removed again, even when the test fails half-way: an
// automatic service left in the prefix would start at every boot.
struct ServiceGuard {
    std::u16string name;
    ~ServiceGuard() {
        if (serviceExists(name.c_str())) deleteServiceByName(name.c_str());
    }
};

struct ServiceConfig {
    std::wstring binaryPath;
    std::wstring displayName;
    DWORD startType = 0;
    DWORD serviceType = 0;
    std::wstring description;
};

bool readConfig(const std::u16string& name, ServiceConfig& out) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service =
        OpenServiceW(manager, reinterpret_cast<const wchar_t*>(name.c_str()), SERVICE_QUERY_CONFIG);
    bool ok = false;
    DWORD needed = 0;
    if (service && !QueryServiceConfigW(service, nullptr, 0, &needed) && needed) {
        std::vector<BYTE> buffer(needed);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        ok = QueryServiceConfigW(service, config, needed, &needed);
        if (ok) {
            out.binaryPath = config->lpBinaryPathName;
            out.displayName = config->lpDisplayName;
            out.startType = config->dwStartType;
            out.serviceType = config->dwServiceType;
        }
        needed = 0;
        QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
        if (ok && needed) {
            std::vector<BYTE> text(needed);
            auto* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(text.data());
            if (QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, text.data(), needed,
                                     &needed) &&
                description->lpDescription) {
                out.description = description->lpDescription;
            }
        }
    }
    if (service) CloseServiceHandle(service);
    if (manager) CloseServiceHandle(manager);
    return ok;
}

DWORD currentState(const std::u16string& name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service =
        OpenServiceW(manager, reinterpret_cast<const wchar_t*>(name.c_str()), SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    bool ok = service && QueryServiceStatus(service, &status);
    if (service) CloseServiceHandle(service);
    if (manager) CloseServiceHandle(manager);
    return ok ? status.dwCurrentState : 0;
}

}  // namespace

TEST(Win32Services, CreateStartStopDeleteFromAFolderWithSpaces) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts service");
    auto exe = scratch.add(L"fixture_service.exe", L"Korvel Touch", L"TsFixtureService.exe");
    std::u16string path = u16(exe);
    TextBuffer name;
    ASSERT_TRUE(serviceNameOf(path, name));
    ASSERT_EQ(viewOf(name), u"TsFixtureService");
    ServiceGuard guard{std::u16string(viewOf(name))};
    if (serviceExists(name)) deleteServiceByName(name);  // left over from an aborted run

    ASSERT_TRUE(createService(name, path.c_str(), u"Fixture service for the installer tests"));
    EXPECT_TRUE(serviceExists(name));
    ServiceConfig config;
    ASSERT_TRUE(readConfig(guard.name, config));
    EXPECT_EQ(config.binaryPath, L"\"" + exe.wstring() + L"\"");
    EXPECT_EQ(config.displayName, L"TsFixtureService");
    EXPECT_EQ(config.startType, DWORD(SERVICE_AUTO_START));
    EXPECT_EQ(config.serviceType & SERVICE_WIN32_OWN_PROCESS, DWORD(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(config.description, L"Fixture service for the installer tests");
    // What the trust policy compares with the product folder: the registered command line.
    std::u16string binary;
    ASSERT_TRUE(serviceBinaryPath(name, binary));
    EXPECT_EQ(binary, u"\"" + path + u"\"");

    ASSERT_TRUE(startServiceByName(name));
    EXPECT_EQ(currentState(guard.name), DWORD(SERVICE_RUNNING));
    // The manager started the file in the folder with a space, not something cut at the space.
    EXPECT_TRUE(waitForFile(exe.wstring() + L".trace", 5000));
    EXPECT_TRUE(startServiceByName(name));  // already running

    EXPECT_TRUE(stopServiceByName(name));
    EXPECT_EQ(currentState(guard.name), DWORD(SERVICE_STOPPED));
    EXPECT_TRUE(stopServiceByName(name));  // already stopped

    EXPECT_TRUE(deleteServiceByName(name));
    EXPECT_FALSE(serviceExists(name));
    EXPECT_FALSE(deleteServiceByName(name));
}

TEST(Win32Services, DeletingARunningServiceStopsItFirst) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts service run");
    auto exe = scratch.add(L"fixture_service.exe", L"bin dir", L"TsFixtureRunning.exe");
    ServiceGuard guard{u"TsFixtureRunning"};
    if (serviceExists(u"TsFixtureRunning")) deleteServiceByName(u"TsFixtureRunning");
    ASSERT_TRUE(createService(u"TsFixtureRunning", u16(exe).c_str(), nullptr));
    ASSERT_TRUE(startServiceByName(u"TsFixtureRunning"));
    EXPECT_TRUE(deleteServiceByName(u"TsFixtureRunning"));
    EXPECT_FALSE(serviceExists(u"TsFixtureRunning"));
    // The fixture's process outlives its reported stop by 1.5 s; the stop waited for it, so its
    // file goes at the first try.
    EXPECT_EQ(machine.files.deleteFile(u16(exe).c_str()), platform::DeleteResult::Deleted);
    EXPECT_FALSE(std::filesystem::exists(exe));
}

TEST(Win32Services, TheProcessOfARunningServiceIsReportedUntilItStops) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts service pid");
    auto exe = scratch.add(L"fixture_service.exe", L"bin", L"TsFixturePid.exe");
    ServiceGuard guard{u"TsFixturePid"};
    if (serviceExists(u"TsFixturePid")) deleteServiceByName(u"TsFixturePid");
    ASSERT_TRUE(createService(u"TsFixturePid", u16(exe).c_str(), nullptr));
    ASSERT_TRUE(startServiceByName(u"TsFixturePid"));
    auto& scm = platform::services();
    platform::ServiceHandle manager = scm.openManager();
    platform::ServiceHandle service = scm.openService(manager, u"TsFixturePid");
    std::uint32_t id = 0;
    EXPECT_TRUE(scm.queryProcessId(service, id));
    EXPECT_NE(id, 0u);
    // While the process runs, its program cannot be deleted: that is what the stop waits for.
    EXPECT_EQ(machine.files.deleteFile(u16(exe).c_str()), platform::DeleteResult::InUse);
    EXPECT_TRUE(stopService(service));
    EXPECT_TRUE(scm.queryProcessId(service, id));
    EXPECT_EQ(id, 0u);
    scm.close(service);
    scm.close(manager);
    EXPECT_TRUE(deleteServiceByName(u"TsFixturePid"));
    EXPECT_EQ(machine.files.deleteFile(u16(exe).c_str()), platform::DeleteResult::Deleted);
}

TEST(Win32Services, MissingServiceIsNotFound) {
    Win32Machine machine;
    EXPECT_FALSE(serviceExists(u"TsNoSuchService"));
    EXPECT_FALSE(startServiceByName(u"TsNoSuchService"));
    EXPECT_FALSE(stopServiceByName(u"TsNoSuchService"));
    EXPECT_FALSE(deleteServiceByName(u"TsNoSuchService"));
    std::u16string binary;
    EXPECT_FALSE(serviceBinaryPath(u"TsNoSuchService", binary));
}

// The setup log shows the error the failed creation left, however the handles were closed.
TEST(Win32Services, AFailedCreationLeavesItsOwnErrorForTheLog) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts service error");
    auto exe = scratch.add(L"fixture_service.exe", L"bin", L"TsFixtureTwice.exe");
    ServiceGuard guard{u"TsFixtureTwice"};
    if (serviceExists(u"TsFixtureTwice")) deleteServiceByName(u"TsFixtureTwice");
    ASSERT_TRUE(createService(u"TsFixtureTwice", u16(exe).c_str(), nullptr));
    SetLastError(0);
    EXPECT_FALSE(createService(u"TsFixtureTwice", u16(exe).c_str(), u"again"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SERVICE_EXISTS));
}

// The product a service belongs to lies beside it, where whoever finds a service of that name
// can read it back, and it goes with the service.
TEST(Win32Services, TheOwnerRecordedBesideAServiceIsReadBackAndGoesWithIt) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts service owner");
    auto exe = scratch.add(L"fixture_service.exe", L"bin", L"TsFixtureOwned.exe");
    ServiceGuard guard{u"TsFixtureOwned"};
    if (serviceExists(u"TsFixtureOwned")) deleteServiceByName(u"TsFixtureOwned");
    auto& scm = platform::services();
    std::u16string owner;
    EXPECT_FALSE(scm.queryOwner(u"TsFixtureOwned", owner));
    ASSERT_TRUE(createService(u"TsFixtureOwned", u16(exe).c_str(), u"with a description"));
    EXPECT_FALSE(scm.queryOwner(u"TsFixtureOwned", owner));  // what earlier installers left
    ASSERT_TRUE(scm.setOwner(u"TsFixtureOwned", u"Alder TouchSuite"));
    ASSERT_TRUE(scm.queryOwner(u"TsFixtureOwned", owner));
    EXPECT_EQ(owner, u"Alder TouchSuite");
    ServiceConfig config;
    ASSERT_TRUE(readConfig(guard.name, config));
    EXPECT_EQ(config.description, L"with a description");
    ASSERT_TRUE(deleteServiceByName(u"TsFixtureOwned"));
    EXPECT_FALSE(scm.queryOwner(u"TsFixtureOwned", owner));
    EXPECT_FALSE(scm.setOwner(u"TsFixtureOwned", u"Alder TouchSuite"));
}
