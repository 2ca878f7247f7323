#include <gtest/gtest.h>

#include "engine/Services.h"
#include "tests/native/EngineFakes.h"

using fake::FakeServiceManager;
using platform::kServiceRunning;
using platform::kServiceStartPending;
using platform::kServiceStopped;

namespace {

// Runs `op` on the named service through freshly opened handles, as the workers do.
template <typename Op>
bool onService(const char16_t* name, Op op) {
    auto& scm = platform::services();
    platform::ServiceHandle manager = scm.openManager();
    platform::ServiceHandle service = scm.openService(manager, name);
    bool result = op(service);
    scm.close(service);
    scm.close(manager);
    return result;
}

}  // namespace

TEST(ServiceName, IsTheStemOfTheExecutable) {
    TextBuffer name;
    EXPECT_TRUE(serviceNameOf(u"C:\\Program Files\\Korvel\\VantrelService.exe", name));
    EXPECT_EQ(viewOf(name), u"VantrelService");
    EXPECT_TRUE(serviceNameOf(u"C:\\a.b\\Korvel.Panel.exe", name));
    EXPECT_EQ(viewOf(name), u"Korvel");
    EXPECT_FALSE(serviceNameOf(std::u16string(260, u'x'), name));
    EXPECT_EQ(viewOf(name), u"");
}

TEST(ServiceExists, OpensAndClosesItsOwnHandles) {
    EngineFakes m;
    m.services.add(u"VantrelService");
    EXPECT_TRUE(serviceExists(u"VantrelService"));
    EXPECT_TRUE(serviceExists(u"vantrelservice"));
    EXPECT_FALSE(serviceExists(u"Other"));
    EXPECT_EQ(m.services.openHandles(), 0u);

    m.services.add(u"Other");
    fake::faults().failOperation("openManager");
    EXPECT_FALSE(serviceExists(u"Other"));
    fake::faults().clear();
    fake::faults().failOperation("openService");
    EXPECT_FALSE(serviceExists(u"Other"));
    EXPECT_EQ(m.services.openHandles(), 0u);
}

TEST(StartService, RunningServiceIsLeftAlone) {
    EngineFakes m;
    auto& s = m.services.add(u"Svc", kServiceRunning);
    EXPECT_TRUE(startServiceByName(u"Svc"));
    EXPECT_EQ(s.startCalls, 0);
    EXPECT_EQ(EngineFakes::calls("startService"), 0);
    EXPECT_EQ(m.clock.slept(), 0u);
}

TEST(StartService, PollsEveryHalfSecondUntilRunning) {
    EngineFakes m;
    auto& s = m.services.add(u"Svc");
    s.pollsToStart = 4;  // the fourth query after StartServiceW sees it running
    EXPECT_TRUE(startServiceByName(u"Svc"));
    EXPECT_EQ(s.state, kServiceRunning);
    EXPECT_EQ(m.clock.slept(), 1500u);
    EXPECT_EQ(EngineFakes::calls("sleep 500"), 3);
    EXPECT_EQ(EngineFakes::calls("queryState"), 5);
}

TEST(StartService, GivesUpOnceMoreThanFiveSecondsHavePassed) {
    EngineFakes m;
    auto& s = m.services.add(u"Svc");
    s.pollsToStart = -1;
    EXPECT_FALSE(startServiceByName(u"Svc"));
    // Queries at 0, 500, ... 5500 ms after the noted time: the one at 5000 is not yet "more".
    EXPECT_EQ(m.clock.slept(), 5500u);
    EXPECT_EQ(EngineFakes::calls("queryState"), 1 + 12);
    EXPECT_EQ(s.state, kServiceStartPending);  // left as it is
    EXPECT_EQ(m.services.openHandles(), 0u);
}

TEST(StartService, WaitSurvivesTheTickCountWrapping) {
    EngineFakes m;
    m.clock.advance(0xFFFFFFFFu - m.clock.now() - 1200);  // wraps in the middle of the wait
    auto& s = m.services.add(u"Svc");
    s.pollsToStart = -1;
    EXPECT_FALSE(startServiceByName(u"Svc"));
    EXPECT_EQ(m.clock.slept(), 5500u);
}

TEST(StartService, ServiceThatFallsBackToStoppedFailsAtOnce) {
    EngineFakes m;
    auto& s = m.services.add(u"Svc");
    s.pollsToStart = 1;
    s.startsInto = kServiceStopped;
    EXPECT_FALSE(startServiceByName(u"Svc"));
    EXPECT_EQ(m.clock.slept(), 0u);
}

TEST(StartService, AnyFailedCallIsAFailure) {
    struct Case {
        const char* operation;
        int nth;
    };
    for (Case c : {Case{"queryState", 1}, Case{"startService", 1}, Case{"queryState", 2},
                   Case{"queryState", 3}, Case{"tickCount", 0}}) {
        EngineFakes m;
        auto& s = m.services.add(u"Svc");
        s.pollsToStart = 3;
        fake::faults().failOperation(c.operation, c.nth);
        bool ok = startServiceByName(u"Svc");
        // A failing tick count cannot fail on Windows; the fake only traces it.
        EXPECT_EQ(ok, std::string(c.operation) == "tickCount") << c.operation << " " << c.nth;
        EXPECT_EQ(m.services.openHandles(), 0u);
    }
}

TEST(StopService, StoppedServiceGetsNoStopRequest) {
    EngineFakes m;
    auto& s = m.services.add(u"Svc", kServiceStopped);
    EXPECT_TRUE(stopServiceByName(u"Svc"));
    EXPECT_EQ(s.stopCalls, 0);
    EXPECT_EQ(EngineFakes::calls("controlStop"), 0);
}

TEST(StopService, ImmediateStopNeedsNoPolling) {
    EngineFakes m;
    auto& s = m.services.add(u"Svc", kServiceRunning);
    EXPECT_TRUE(stopServiceByName(u"Svc"));
    EXPECT_EQ(s.stopCalls, 1);
    EXPECT_EQ(m.clock.slept(), 0u);
}

TEST(StopService, SleepsFirstThenPollsUntilStopped) {
    EngineFakes m;
    auto& s = m.services.add(u"Svc", kServiceRunning);
    s.pollsToStop = 3;
    EXPECT_TRUE(stopServiceByName(u"Svc"));
    EXPECT_EQ(s.state, kServiceStopped);
    EXPECT_EQ(m.clock.slept(), 1500u);
    // The first sleep comes before the time is noted.
    const auto& trace = fake::faults().trace();
    auto stop = std::find(trace.begin(), trace.end(), "controlStop Svc");
    ASSERT_NE(stop, trace.end());
    ASSERT_GE(trace.end() - stop, 3);
    EXPECT_EQ(stop[1], "sleep 500");
    EXPECT_EQ(stop[2], "tickCount");
}

TEST(StopService, GivesUpOnAServiceThatDoesNotStop) {
    EngineFakes m;
    auto& s = m.services.add(u"Svc", kServiceRunning);
    s.pollsToStop = -1;
    EXPECT_FALSE(stopServiceByName(u"Svc"));
    EXPECT_EQ(m.clock.slept(), 500u + 5500u);
    EXPECT_NE(s.state, kServiceStopped);
}

TEST(StopService, RefusedOrFailedCallsAreFailures) {
    {
        EngineFakes m;
        m.services.add(u"Svc", kServiceRunning).refusesStop = true;
        EXPECT_FALSE(stopServiceByName(u"Svc"));
    }
    for (int nth : {1, 2, 3}) {
        EngineFakes m;
        m.services.add(u"Svc", kServiceRunning).pollsToStop = 3;
        fake::faults().failOperation("queryState", nth);
        EXPECT_FALSE(stopServiceByName(u"Svc")) << nth;
        EXPECT_EQ(m.services.openHandles(), 0u);
    }
    EngineFakes m;
    EXPECT_FALSE(stopServiceByName(u"Missing"));
}

// The manager says stopped as soon as the service said so; its process ends after that and
// holds its program file until then.

TEST(StopService, WaitsUntilTheProcessTheServiceRanInHasEnded) {
    EngineFakes m;
    fake::FakeProcesses::Behaviour lingers;
    lingers.runsForMs = 1800;
    auto& process = m.processes.addRunning(u"C:\\Korvel\\Svc.exe", lingers);
    auto& s = m.services.add(u"Svc", kServiceRunning);
    s.processId = process.id;
    EXPECT_TRUE(stopServiceByName(u"Svc"));
    EXPECT_EQ(m.processes.runningWithImage(u"C:\\Korvel\\Svc.exe"), 0);
    EXPECT_EQ(m.processes.openHandles(), 0u);
    EXPECT_EQ(m.services.openHandles(), 0u);
}

TEST(StopService, GivesUpOnAProcessThatOutlivesItsServiceForLong) {
    EngineFakes m;
    auto& process = m.processes.addRunning(u"C:\\Korvel\\Svc.exe");  // never ends
    auto& s = m.services.add(u"Svc", kServiceRunning);
    s.processId = process.id;
    std::uint32_t before = m.clock.now();
    EXPECT_FALSE(stopServiceByName(u"Svc"));
    EXPECT_EQ(s.state, kServiceStopped);
    EXPECT_EQ(m.clock.now() - before, kServiceExitWaitMs);
    EXPECT_EQ(m.processes.openHandles(), 0u);
    // Deleting goes on all the same.
    EXPECT_TRUE(deleteServiceByName(u"Svc"));
}

TEST(StopService, AProcessThatCannotBeWatchedIsNotWaitedFor) {
    for (const char* failing : {"queryProcessId", "openProcess"}) {
        EngineFakes m;
        auto& process = m.processes.addRunning(u"C:\\Korvel\\Svc.exe");
        m.services.add(u"Svc", kServiceRunning).processId = process.id;
        fake::faults().failOperation(failing);
        EXPECT_TRUE(stopServiceByName(u"Svc")) << failing;
        EXPECT_EQ(m.clock.slept(), 0u) << failing;
        EXPECT_EQ(m.processes.openHandles(), 0u) << failing;
    }
    // A refused stop closes the process it opened.
    EngineFakes m;
    auto& process = m.processes.addRunning(u"C:\\Korvel\\Svc.exe");
    auto& s = m.services.add(u"Svc", kServiceRunning);
    s.processId = process.id;
    s.refusesStop = true;
    EXPECT_FALSE(stopServiceByName(u"Svc"));
    EXPECT_EQ(m.processes.openHandles(), 0u);
}

TEST(StopService, WorksOnAHandleTheCallerHolds) {
    EngineFakes m;
    m.services.add(u"Svc", kServiceRunning).pollsToStop = 2;
    EXPECT_TRUE(onService(u"Svc", stopService));
    EXPECT_TRUE(onService(u"Svc", startService));
    EXPECT_EQ(m.services.find(u"Svc")->state, kServiceRunning);
    EXPECT_EQ(m.services.openHandles(), 0u);
}

TEST(DeleteServiceByName, StopsThenDeletes) {
    EngineFakes m;
    m.services.add(u"Svc", kServiceRunning).pollsToStop = 2;
    EXPECT_TRUE(deleteServiceByName(u"Svc"));
    EXPECT_FALSE(m.services.has(u"Svc"));
    EXPECT_EQ(m.services.openHandles(), 0u);
    const auto& trace = fake::faults().trace();
    auto stop = std::find(trace.begin(), trace.end(), "controlStop Svc");
    auto del = std::find(trace.begin(), trace.end(), "deleteService Svc");
    EXPECT_LT(stop, del);
    EXPECT_NE(del, trace.end());
}

TEST(DeleteServiceByName, DeletesEvenWhenTheStopFails) {
    EngineFakes m;
    m.services.add(u"Svc", kServiceRunning).pollsToStop = -1;
    EXPECT_TRUE(deleteServiceByName(u"Svc"));
    // Marked for deletion; it goes once it has stopped.
    auto* s = m.services.find(u"Svc");
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->markedForDeletion);
    EXPECT_FALSE(createService(u"Svc", u"C:\\Korvel\\Svc.exe", nullptr));
}

TEST(DeleteServiceByName, FailuresAnswerFalse) {
    EngineFakes m;
    EXPECT_FALSE(deleteServiceByName(u"Missing"));
    m.services.add(u"Svc");
    fake::faults().failOperation("openManager");
    EXPECT_FALSE(deleteServiceByName(u"Svc"));
    fake::faults().clear();
    fake::faults().failOperation("deleteService");
    EXPECT_FALSE(deleteServiceByName(u"Svc"));
    EXPECT_TRUE(m.services.has(u"Svc"));
    EXPECT_EQ(m.services.openHandles(), 0u);
}

TEST(CreateService, QuotesTheBinaryPathAndSetsTheDescription) {
    EngineFakes m;
    EXPECT_TRUE(createService(u"Korvel Service", u"C:\\Program Files\\Korvel\\Korvel Service.exe",
                              u"Touch frame service"));
    auto* s = m.services.find(u"Korvel Service");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->binaryPath, u"\"C:\\Program Files\\Korvel\\Korvel Service.exe\"");
    EXPECT_EQ(s->displayName, u"Korvel Service");
    EXPECT_EQ(s->description, u"Touch frame service");
    EXPECT_EQ(s->state, kServiceStopped);
    EXPECT_EQ(m.services.openHandles(), 0u);
}

TEST(CreateService, DescriptionIsOptionalAndItsFailureIgnored) {
    EngineFakes m;
    EXPECT_TRUE(createService(u"A", u"C:\\K\\A.exe", nullptr));
    EXPECT_EQ(EngineFakes::calls("setDescription"), 0);
    fake::faults().failOperation("setDescription");
    EXPECT_TRUE(createService(u"B", u"C:\\K\\B.exe", u"text"));
    EXPECT_TRUE(m.services.has(u"B"));
    EXPECT_EQ(m.services.openHandles(), 0u);
}

TEST(CreateService, FailsWithoutManagerOrWhenTheNameIsTaken) {
    EngineFakes m;
    fake::faults().failOperation("openManager");
    EXPECT_FALSE(createService(u"A", u"C:\\K\\A.exe", nullptr));
    fake::faults().clear();
    m.services.add(u"A");
    EXPECT_FALSE(createService(u"A", u"C:\\K\\A.exe", nullptr));
    fake::faults().failOperation("createService");
    EXPECT_FALSE(createService(u"B", u"C:\\K\\B.exe", nullptr));
    EXPECT_FALSE(m.services.has(u"B"));
    EXPECT_EQ(m.services.openHandles(), 0u);
}

TEST(CreateService, RefusesPathsThatCannotBeQuotedWhole) {
    EngineFakes m;
    std::u16string longest = u"C:\\" + std::u16string(252, u'k') + u".exe";  // 259 units
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_TRUE(createService(u"Long", longest.c_str(), nullptr));
    EXPECT_EQ(m.services.find(u"Long")->binaryPath, u"\"" + longest + u"\"");
    fake::faults().clear();
    std::u16string tooLong = u"C:\\" + std::u16string(253, u'k') + u".exe";
    EXPECT_FALSE(createService(u"TooLong", tooLong.c_str(), nullptr));
    EXPECT_FALSE(createService(u"Quote", u"C:\\K\\a\" -evil.exe", nullptr));
    EXPECT_FALSE(createService(u"Empty", u"", nullptr));
    EXPECT_EQ(fake::faults().calls(), 0);  // refused before the manager is opened
}
