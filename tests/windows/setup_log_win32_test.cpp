// The setup log's file and the native start of driver scripts on the real calls.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "engine/RunProgram.h"
#include "platform/win32/Win32LogFile.h"
#include "platform/win32/Win32SystemInfo.h"
#include "tests/windows/Win32Machine.h"

namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(Win32SetupLog, AFileIsEmptiedOnOpenAndKeepsEveryLineAppended) {
    ScratchFolder scratch(L"ts log");
    auto path = scratch.root / L"setup.log";
    writeText(path, "an earlier run's lines\r\n");
    win32::Win32LogFile log;
    ASSERT_TRUE(log.open(u16(path).c_str()));
    EXPECT_TRUE(log.append("one\r\n", 5));
    EXPECT_TRUE(log.append("two\r\n", 5));
    // Readable by others while it is written (a deployment tool may watch it).
    EXPECT_EQ(contents(path), "one\r\ntwo\r\n");
    log.close();
    EXPECT_FALSE(log.append("x", 1));
    std::u16string temp;
    EXPECT_TRUE(log.tempFolder(temp));
    EXPECT_FALSE(temp.empty());
    EXPECT_NE(temp.back(), u'\\');
    EXPECT_GE(log.localTime().year, 2020);
}

TEST(Win32SetupLog, ASecondNameOfAnotherFileOrAFolderIsRefusedAndLeftAsItWas) {
    ScratchFolder scratch(L"ts log links");
    auto precious = scratch.root / L"precious.txt";
    writeText(precious, "keep me");
    auto second = scratch.root / L"setup.log";
    win32::Win32LogFile log;
    if (CreateHardLinkW(second.c_str(), precious.c_str(), nullptr)) {
        EXPECT_FALSE(log.open(u16(second).c_str()));
        EXPECT_EQ(contents(precious), "keep me");
    }
    std::filesystem::create_directories(scratch.root / L"folder.log");
    EXPECT_FALSE(log.open(u16(scratch.root / L"folder.log").c_str()));
    EXPECT_FALSE(log.open(u16(scratch.root / L"missing" / L"setup.log").c_str()));
    EXPECT_EQ(log.lastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST(Win32SetupLog, ADriverScriptStartedNativelyKeepsItsExitCodeAndRunsInTheNativeProcessor) {
    Win32Machine machine;
    win32::Win32SystemInfo system;
    platform::os().system = &system;
    ScratchFolder scratch(L"ts native");
    auto script = scratch.root / L"arch probe.bat";
    writeText(script,
              "@echo off\r\necho %PROCESSOR_ARCHITECTURE%> \"%~dp0arch.txt\"\r\nexit /b 1603\r\n");
    for (bool native : {true, false}) {
        std::filesystem::remove(scratch.root / L"arch.txt");
        ScriptRun run = runScript(u16(script).c_str(), kDriverScriptLimitMs, native);
        ASSERT_EQ(run.outcome, ScriptRun::Ended) << native;
        EXPECT_EQ(run.exitCode, 1603u) << native;
        std::string arch = contents(scratch.root / L"arch.txt");
        // On 64-bit Windows the native start reaches the 64-bit command processor, from a
        // 32-bit installer too.
        if (native && system.nativeArchitecture() == platform::kArchitectureAmd64) {
            EXPECT_EQ(arch.substr(0, 5), "AMD64") << arch;
        }
    }
    ScriptRun missing = runScript(u16(scratch.root / L"none.bat").c_str(), 5000, true);
    EXPECT_EQ(missing.outcome, ScriptRun::NotStarted);
}
