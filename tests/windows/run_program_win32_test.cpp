#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/RunProgram.h"
#include "tests/windows/Win32Machine.h"

namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The id a fixture_hang wrote, or 0.
DWORD pidFrom(const std::filesystem::path& file) {
    if (!waitForFile(file, 10000)) return 0;
    for (int i = 0; i < 50; ++i) {
        std::string text = readAll(file);
        if (!text.empty()) return DWORD(std::stoul(text));
        Sleep(50);
    }
    return 0;
}

// Alive means it can still be opened and has not ended within `ms`.
bool stillRunning(DWORD pid, DWORD ms) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    bool running = WaitForSingleObject(process, ms) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

void kill(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

std::vector<DWORD> processesNamed(const std::u16string& exeFile) {
    win32::Win32Processes processes;
    std::vector<platform::ProcessEntry> entries;
    std::vector<DWORD> ids;
    if (!processes.listProcesses(entries)) return ids;
    for (const auto& e : entries) {
        if (e.exeFile == exeFile) ids.push_back(e.id);
    }
    return ids;
}

}  // namespace

TEST(Win32RunProgram, ScriptRunsInItsOwnFolderWithItsArguments) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts run");
    auto script = scratch.add(L"trace.bat", L"driver scripts", L"install hid.bat");
    DWORD start = GetTickCount();
    EXPECT_TRUE(runProgram(u16(script).c_str(), u"-x 1", kDriverScriptLimitMs));
    EXPECT_LT(GetTickCount() - start, 30000u);
    std::string trace = readAll(script.parent_path() / L"trace.txt");
    std::string folder = script.parent_path().string();
    EXPECT_NE(trace.find("folder=" + folder + "\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("args=-x 1"), std::string::npos) << trace;
}

TEST(Win32RunProgram, ProcessLayerKeepsTheScriptsExitCode) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts exit");
    auto script = scratch.add(L"trace.bat", L"a b", L"trace.bat");
    std::u16string line = u"\"" + u16(script) + u"\"";
    std::u16string folder = u16(script.parent_path());
    platform::StartedProcess started;
    ASSERT_TRUE(machine.processes.create(line.c_str(), folder.c_str(), false, started));
    EXPECT_EQ(machine.processes.wait(started.process, 30000), platform::WaitResult::Ended);
    std::uint32_t code = 0;
    EXPECT_TRUE(machine.processes.exitCode(started.process, code));
    EXPECT_EQ(code, 3u);
    machine.processes.close(started.thread);
    machine.processes.close(started.process);
}

TEST(Win32RunProgram, PlantedProgramAtTheSpaceIsNotStarted) {
    Win32Machine machine;
    ScratchFolder scratch(L"tsplant");
    // Unquoted, "C:\tsplant <pid>\x.bat" would be tried as "C:\tsplant.exe" first.
    std::filesystem::path plant = L"C:\\tsplant.exe";
    std::filesystem::copy_file(fixtureDir() / L"fixture_hang.exe", plant,
                               std::filesystem::copy_options::overwrite_existing);
    auto script = scratch.add(L"trace.bat", L"", L"trace.bat");
    EXPECT_TRUE(runProgram(u16(script).c_str(), nullptr, kDriverScriptLimitMs));
    EXPECT_TRUE(std::filesystem::exists(scratch.root / L"trace.txt"));
    auto planted = processesNamed(u"tsplant.exe");
    EXPECT_TRUE(planted.empty());
    for (DWORD pid : planted) kill(pid);
    std::error_code ignored;
    std::filesystem::remove(plant, ignored);
}

TEST(Win32RunProgram, HungScriptIsEndedWithTheChildItStarted) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts hang");
    auto script = scratch.add(L"hang.bat", L"driver scripts", L"hang.bat");
    scratch.add(L"fixture_hang.exe", L"driver scripts", L"fixture_hang.exe");
    DWORD start = GetTickCount();
    EXPECT_FALSE(runProgram(u16(script).c_str(), nullptr, 5000));
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 4900u);
    EXPECT_LT(took, 30000u);
    DWORD scriptPid = pidFrom(script.parent_path() / L"script.pid");
    DWORD childPid = pidFrom(script.parent_path() / L"child.pid");
    ASSERT_NE(scriptPid, 0u) << "the script's own program never started";
    ASSERT_NE(childPid, 0u) << "the script's background child never started";
    EXPECT_FALSE(stillRunning(scriptPid, 5000));
    EXPECT_FALSE(stillRunning(childPid, 5000));
    kill(scriptPid);
    kill(childPid);
}

TEST(Win32RunProgram, WhatAFinishedScriptStartedRunsOn) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts detach");
    auto script = scratch.add(L"detach.bat", L"s", L"detach.bat");
    scratch.add(L"fixture_hang.exe", L"s", L"fixture_hang.exe");
    EXPECT_TRUE(runProgram(u16(script).c_str(), nullptr, kDriverScriptLimitMs));
    DWORD pid = pidFrom(script.parent_path() / L"detached.pid");
    ASSERT_NE(pid, 0u);
    EXPECT_TRUE(stillRunning(pid, 500));
    kill(pid);
}

TEST(Win32RunProgram, WithoutATimeLimitItReturnsWhileTheProgramRuns) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts launch");
    auto exe = scratch.add(L"fixture_hang.exe", L"Korvel Panel", L"TsPanel.exe");
    std::u16string pidFile = u16(exe.parent_path() / L"panel.pid");
    std::u16string arguments = u"\"" + pidFile + u"\"";
    DWORD start = GetTickCount();
    EXPECT_TRUE(runProgram(u16(exe).c_str(), arguments.c_str(), kNoWait));
    EXPECT_LT(GetTickCount() - start, 5000u);
    DWORD pid = pidFrom(exe.parent_path() / L"panel.pid");
    ASSERT_NE(pid, 0u);
    EXPECT_TRUE(stillRunning(pid, 200));
    kill(pid);
}

TEST(Win32RunProgram, MissingProgramFails) {
    Win32Machine machine;
    EXPECT_FALSE(runProgram(u"C:\\ts no such folder\\x.bat", nullptr, 1000));
    EXPECT_FALSE(runProgram(u"C:\\ts no such folder\\x.exe", nullptr, kNoWait));
}
