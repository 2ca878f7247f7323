#include <gtest/gtest.h>

#include "engine/CommandLine.h"
#include "engine/RunProgram.h"
#include "tests/native/EngineFakes.h"

using fake::FakeProcesses;

namespace {

const std::u16string kDrivers = u"C:\\Program Files\\Korvel Touch\\drivers";
const std::u16string kScript = kDrivers + u"\\install hid.bat";
const std::u16string kTool = kDrivers + u"\\devtool.exe";

struct ScriptMachine : EngineFakes {
    ScriptMachine() {
        files.addFolder(u"C:\\Program Files\\Korvel Touch");
        files.addFolder(kDrivers);
        files.addFile(kScript);
        files.addFile(kTool);
    }
    void script(std::int64_t runsFor, std::vector<std::u16string> children = {}) {
        FakeProcesses::Behaviour b;
        b.runsForMs = runsFor;
        b.exitCode = 7;
        b.children = std::move(children);
        processes.program(kScript, b);
    }
    void tool(std::int64_t runsFor) {
        FakeProcesses::Behaviour b;
        b.runsForMs = runsFor;
        processes.program(kTool, b);
    }
    const FakeProcesses::Process* withImage(const std::u16string& image) {
        for (const auto* p : processes.all()) {
            if (p->image == image) return p;
        }
        return nullptr;
    }
};

}  // namespace

TEST(QuotedCommandLine, QuotesTheProgramAndKeepsArgumentsOutside) {
    std::u16string line;
    EXPECT_TRUE(quotedCommandLine(u"C:\\Program Files\\K\\a.exe", u"-h", line));
    EXPECT_EQ(line, u"\"C:\\Program Files\\K\\a.exe\" -h");
    EXPECT_TRUE(quotedCommandLine(u"C:\\K\\a.exe", u"", line));
    EXPECT_EQ(line, u"\"C:\\K\\a.exe\"");
    EXPECT_FALSE(quotedCommandLine(u"C:\\K\\a\".exe", u"", line));
    EXPECT_EQ(line, u"");
    EXPECT_FALSE(quotedCommandLine(u"", u"-h", line));
    EXPECT_TRUE(quotedCommandLine(std::u16string(259, u'p'), u"", line));
    EXPECT_FALSE(quotedCommandLine(std::u16string(260, u'p'), u"", line));
}

TEST(RunProgram, StartsTheQuotedProgramInItsOwnFolder) {
    ScriptMachine m;
    m.script(1000);
    EXPECT_TRUE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
    auto* p = m.withImage(kScript);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->commandLine, u"\"" + kScript + u"\"");
    EXPECT_EQ(p->workingFolder, kDrivers);
    EXPECT_TRUE(p->createdSuspended);
}

TEST(RunProgram, UnquotedSpacesWouldHaveStartedSomethingElse) {
    // What the quoting prevents: the fake, like CreateProcessW, takes an unquoted program to
    // end at the first space.
    EXPECT_EQ(FakeProcesses::programOf(u"C:\\Program Files\\K\\a.exe -h"), u"C:\\Program");
    EXPECT_EQ(FakeProcesses::programOf(u"\"C:\\Program Files\\K\\a.exe\" -h"),
              u"C:\\Program Files\\K\\a.exe");
}

TEST(RunProgram, ArgumentsDoNotMoveTheWorkingFolder) {
    ScriptMachine m;
    EXPECT_TRUE(runProgram(kTool.c_str(), u"-h", kNoWait));
    auto* p = m.withImage(kTool);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->commandLine, u"\"" + kTool + u"\" -h");
    EXPECT_EQ(p->workingFolder, kDrivers);
}

TEST(RunProgram, NoTimeLimitMeansNoWaitAndNoJob) {
    ScriptMachine m;
    m.tool(FakeProcesses::kHangs);
    std::uint32_t before = m.clock.now();
    EXPECT_TRUE(runProgram(kTool.c_str(), nullptr, kNoWait));
    EXPECT_EQ(m.clock.now(), before);
    EXPECT_EQ(EngineFakes::calls("wait"), 0);
    EXPECT_EQ(EngineFakes::calls("createJob"), 0);
    auto* p = m.withImage(kTool);
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->createdSuspended);
    EXPECT_TRUE(p->running);  // a launched program outlives the installer's handles
    EXPECT_EQ(m.processes.openHandles(), 0u);
}

TEST(RunProgram, ScriptEndingInTimeSucceedsWhateverItsExitCode) {
    ScriptMachine m;
    m.script(2000);
    std::uint32_t before = m.clock.now();
    EXPECT_TRUE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
    EXPECT_EQ(m.clock.now() - before, 2000u);
    auto* p = m.withImage(kScript);
    EXPECT_EQ(p->exitCode, 7u);
    EXPECT_FALSE(p->terminated);
    EXPECT_EQ(EngineFakes::calls("terminate"), 0);
    EXPECT_EQ(m.processes.openHandles(), 0u);
}

TEST(RunProgram, ScriptIsJoinedToItsJobBeforeItRuns) {
    ScriptMachine m;
    m.script(10);
    EXPECT_TRUE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
    std::vector<std::string> order;
    for (const auto& line : fake::faults().trace()) {
        for (const char* op : {"createJob", "createProcess", "assignToJob", "resume", "wait"}) {
            if (line.starts_with(op)) order.push_back(op);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"createJob", "createProcess", "assignToJob",
                                               "resume", "wait"}));
}

TEST(RunProgram, HungScriptIsEndedWithEverythingItStarted) {
    ScriptMachine m;
    m.tool(FakeProcesses::kHangs);
    m.script(FakeProcesses::kHangs, {kTool});
    std::uint32_t before = m.clock.now();
    EXPECT_FALSE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
    EXPECT_EQ(m.clock.now() - before, 180000u);
    auto* script = m.withImage(kScript);
    auto* child = m.withImage(kTool);
    ASSERT_NE(child, nullptr);
    EXPECT_FALSE(script->running);
    EXPECT_EQ(script->exitCode, 0u);
    EXPECT_FALSE(child->running);
    EXPECT_TRUE(child->terminated);
    EXPECT_EQ(m.processes.openHandles(), 0u);
}

TEST(RunProgram, AScriptEndingAtItsLimitHasEnded) {
    ScriptMachine m;
    m.script(180001);
    std::uint32_t before = m.clock.now();
    EXPECT_FALSE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
    EXPECT_EQ(m.clock.now() - before, 180000u);
    m.script(180000);
    EXPECT_TRUE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
}

TEST(RunProgram, WhatAFinishedScriptLeftRunningIsLetGo) {
    ScriptMachine m;
    m.tool(FakeProcesses::kHangs);
    m.script(500, {kTool});
    EXPECT_TRUE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
    auto* child = m.withImage(kTool);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->running);
    EXPECT_EQ(EngineFakes::calls("releaseJob"), 1);
}

TEST(RunProgram, WithoutAJobOnlyTheScriptItselfIsEnded) {
    for (const char* failing : {"createJob", "assignToJob"}) {
        ScriptMachine m;
        m.tool(FakeProcesses::kHangs);
        m.script(FakeProcesses::kHangs, {kTool});
        fake::faults().failOperation(failing);
        EXPECT_FALSE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs)) << failing;
        EXPECT_FALSE(m.withImage(kScript)->running) << failing;
        EXPECT_TRUE(m.withImage(kTool)->running) << failing;
        EXPECT_EQ(m.processes.openHandles(), 0u) << failing;
    }
}

TEST(RunProgram, FailuresOfTheProcessCallsAreFailures) {
    {
        ScriptMachine m;
        fake::faults().failOperation("createProcess");
        EXPECT_FALSE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
        EXPECT_FALSE(runProgram(kScript.c_str(), nullptr, kNoWait));
        EXPECT_EQ(m.processes.openHandles(), 0u);
    }
    {
        // A suspended script that cannot be resumed must not stay behind.
        ScriptMachine m;
        m.script(100);
        fake::faults().failOperation("resume");
        EXPECT_FALSE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
        EXPECT_FALSE(m.withImage(kScript)->running);
        EXPECT_EQ(m.processes.openHandles(), 0u);
    }
    {
        // Only a time-out is a failure: a wait that fails otherwise counts as the script having
        // run (it was started), and the script is left alone.
        ScriptMachine m;
        m.script(100);
        fake::faults().failOperation("wait");
        EXPECT_TRUE(runProgram(kScript.c_str(), nullptr, kDriverScriptLimitMs));
        EXPECT_FALSE(m.withImage(kScript)->terminated);
        EXPECT_EQ(m.processes.openHandles(), 0u);
    }
}

TEST(RunProgram, ProgramWithoutFolderCannotStart) {
    ScriptMachine m;
    m.files.addFile(u"C:\\setup.bat");
    // The working folder is the name itself, which is no folder.
    EXPECT_FALSE(runProgram(u"setup.bat", nullptr, kDriverScriptLimitMs));
    ASSERT_EQ(EngineFakes::calls("createProcess"), 1);
    EXPECT_EQ(m.processes.all().size(), 0u);
}

TEST(RunProgram, OverlongOrUnquotablePathsAreRefusedUntouched) {
    ScriptMachine m;
    std::u16string tooLong = kDrivers + u"\\" + std::u16string(260 - kDrivers.size(), u'x');
    ASSERT_EQ(tooLong.size(), 261u);
    EXPECT_FALSE(runProgram(tooLong.c_str(), nullptr, kDriverScriptLimitMs));
    EXPECT_FALSE(runProgram(u"C:\\K\\a\" b.bat", nullptr, kDriverScriptLimitMs));
    EXPECT_FALSE(runProgram(nullptr, nullptr, kNoWait));
    EXPECT_EQ(fake::faults().calls(), 0);
}
