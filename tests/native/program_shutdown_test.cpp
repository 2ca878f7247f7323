#include <gtest/gtest.h>

#include "engine/ProgramShutdown.h"
#include "tests/native/EngineFakes.h"

using fake::FakeProcesses;

namespace {
const std::u16string kPanel = u"C:\\Program Files\\Korvel\\Panel.exe";

FakeProcesses::Behaviour withWindows(int windows, bool closes, std::uint32_t takes = 0) {
    FakeProcesses::Behaviour b;
    b.runsForMs = FakeProcesses::kHangs;
    b.windows = windows;
    b.closesOnRequest = closes;
    b.closeTakesMs = takes;
    return b;
}
}  // namespace

TEST(IsExePath, EndsInExeInAnyCaseOrIsTooShortToTell) {
    EXPECT_TRUE(isExePath(u"C:\\K\\Panel.exe"));
    EXPECT_TRUE(isExePath(u"C:\\K\\Panel.EXE"));
    EXPECT_TRUE(isExePath(u"C:\\K\\Panel.eXe"));
    EXPECT_FALSE(isExePath(u"C:\\K\\Panel.dll"));
    EXPECT_FALSE(isExePath(u"C:\\K\\Panel.exe.bak"));
    EXPECT_FALSE(isExePath(u"C:\\K\\Panelexe"));
    EXPECT_TRUE(isExePath(u"abcd"));
    EXPECT_TRUE(isExePath(u""));
    EXPECT_FALSE(isExePath(u"abcde"));
    // Only A-Z fold: a dotted capital I is no "i".
    EXPECT_FALSE(isExePath(u"C:\\K\\a.\u0130xe"));
}

TEST(CloseProgram, ProgramThatClosesOnRequestIsNotTerminated) {
    EngineFakes m;
    auto& p = m.processes.addRunning(kPanel, withWindows(2, true, 1200));
    std::uint32_t before = m.clock.now();
    EXPECT_TRUE(closeProgram(kPanel.c_str()));
    EXPECT_FALSE(p.running);
    EXPECT_FALSE(p.terminated);
    EXPECT_EQ(p.closeRequests, 2);
    EXPECT_EQ(m.clock.now() - before, 1200u);
    EXPECT_EQ(m.processes.openHandles(), 0u);
}

TEST(CloseProgram, ProgramWithoutWindowsIsTerminatedAfterThirtySeconds) {
    EngineFakes m;
    auto& p = m.processes.addRunning(kPanel);
    std::uint32_t before = m.clock.now();
    EXPECT_TRUE(closeProgram(kPanel.c_str()));
    EXPECT_FALSE(p.running);
    EXPECT_TRUE(p.terminated);
    EXPECT_EQ(p.exitCode, 0u);
    EXPECT_EQ(m.clock.now() - before, 30000u);
    EXPECT_EQ(m.processes.openHandles(), 0u);
}

TEST(CloseProgram, ProgramIgnoringTheRequestIsTerminated) {
    EngineFakes m;
    auto& p = m.processes.addRunning(kPanel, withWindows(1, false));
    EXPECT_TRUE(closeProgram(kPanel.c_str()));
    EXPECT_EQ(p.closeRequests, 1);
    EXPECT_TRUE(p.terminated);
}

TEST(CloseProgram, OnlyTheExactImageIsTouched) {
    EngineFakes m;
    auto& otherFolder = m.processes.addRunning(u"C:\\Other\\Panel.exe");
    auto& otherCaseFolder = m.processes.addRunning(u"C:\\program files\\Korvel\\Panel.exe");
    auto& otherCaseName = m.processes.addRunning(u"C:\\Program Files\\Korvel\\panel.exe");
    auto& other = m.processes.addRunning(u"C:\\Program Files\\Korvel\\Tray.exe");
    EXPECT_TRUE(closeProgram(kPanel.c_str()));
    for (auto* p : {&otherFolder, &otherCaseFolder, &otherCaseName, &other}) {
        EXPECT_TRUE(p->running);
    }
    // Different file names are not even opened; the same name in another spelling is.
    EXPECT_EQ(EngineFakes::calls("openProcess"), 2);
    EXPECT_EQ(m.clock.now(), 100000u);
    EXPECT_EQ(m.processes.openHandles(), 0u);
}

TEST(CloseProgram, EveryInstanceIsHandledInTurn) {
    EngineFakes m;
    auto& a = m.processes.addRunning(kPanel);
    auto& b = m.processes.addRunning(kPanel, withWindows(1, true));
    auto& c = m.processes.addRunning(kPanel);
    std::uint32_t before = m.clock.now();
    EXPECT_TRUE(closeProgram(kPanel.c_str()));
    EXPECT_TRUE(a.terminated);
    EXPECT_FALSE(b.running);
    EXPECT_FALSE(b.terminated);
    EXPECT_TRUE(c.terminated);
    EXPECT_EQ(m.clock.now() - before, 60000u);
}

TEST(CloseProgram, FailuresLeaveProgramsRunningAndStillAnswerTrue) {
    {
        EngineFakes m;
        auto& p = m.processes.addRunning(kPanel);
        fake::faults().failOperation("listProcesses");
        EXPECT_TRUE(closeProgram(kPanel.c_str()));
        EXPECT_TRUE(p.running);
    }
    {
        EngineFakes m;
        auto& a = m.processes.addRunning(kPanel);
        auto& b = m.processes.addRunning(kPanel);
        a.openable = false;
        EXPECT_TRUE(closeProgram(kPanel.c_str()));
        EXPECT_TRUE(a.running);
        EXPECT_TRUE(b.terminated);
    }
    {
        EngineFakes m;
        auto& p = m.processes.addRunning(kPanel);
        fake::faults().failOperation("imagePath");
        EXPECT_TRUE(closeProgram(kPanel.c_str()));
        EXPECT_TRUE(p.running);
        EXPECT_EQ(EngineFakes::calls("postClose"), 0);
        EXPECT_EQ(m.processes.openHandles(), 0u);
    }
    {
        // A termination that fails still gets its second wait.
        EngineFakes m;
        auto& p = m.processes.addRunning(kPanel);
        fake::faults().failOperation("terminate");
        std::uint32_t before = m.clock.now();
        EXPECT_TRUE(closeProgram(kPanel.c_str()));
        EXPECT_TRUE(p.running);
        EXPECT_EQ(m.clock.now() - before, 60000u);
        EXPECT_EQ(m.processes.openHandles(), 0u);
    }
}
