// The setup log's file and the native start of driver scripts on the real calls.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h.
#include <aclapi.h>
#include <sddl.h>

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

TEST(Win32SetupLog, AFileKeepsEarlierRunsAndEveryLineAppended) {
    ScratchFolder scratch(L"ts log");
    auto path = scratch.root / L"setup.log";
    writeText(path, "an earlier run's lines\r\n");
    win32::Win32LogFile log;
    platform::LogOpening opening = log.open(u16(path).c_str());
    ASSERT_TRUE(opening.opened());
    EXPECT_TRUE(opening.existed);
    EXPECT_EQ(opening.size, 24u);
    EXPECT_TRUE(log.append("one\r\n", 5));
    EXPECT_TRUE(log.append("two\r\n", 5));
    // Readable by others while it is written (a deployment tool may watch it).
    EXPECT_EQ(contents(path), "an earlier run's lines\r\none\r\ntwo\r\n");
    log.close();
    EXPECT_FALSE(log.append("x", 1));
    // A new file, in a folder that does not exist yet only one level up, is made and written.
    auto fresh = scratch.root / L"fresh.log";
    opening = log.open(u16(fresh).c_str());
    ASSERT_TRUE(opening.opened());
    EXPECT_FALSE(opening.existed);
    EXPECT_TRUE(log.append("new\r\n", 5));
    log.close();
    // Made with a list only the trusted may write: a later run takes it again.
    EXPECT_TRUE(log.open(u16(fresh).c_str()).opened());
    log.close();
    EXPECT_EQ(contents(fresh), "new\r\n");
    std::u16string temp;
    EXPECT_TRUE(log.tempFolder(temp));
    EXPECT_FALSE(temp.empty());
    EXPECT_NE(temp.back(), u'\\');
    EXPECT_GE(log.localTime().year, 2020);
}

TEST(Win32SetupLog, ASecondNameAFolderOrAFileOthersMayWriteIsRefusedAndLeftAsItWas) {
    using platform::LogRefusal;
    ScratchFolder scratch(L"ts log links");
    auto precious = scratch.root / L"precious.txt";
    writeText(precious, "keep me");
    auto second = scratch.root / L"setup.log";
    win32::Win32LogFile log;
    if (CreateHardLinkW(second.c_str(), precious.c_str(), nullptr)) {
        EXPECT_EQ(log.open(u16(second).c_str()).refusal, LogRefusal::SecondName);
        EXPECT_EQ(contents(precious), "keep me");
    }
    std::filesystem::create_directories(scratch.root / L"folder.log");
    EXPECT_EQ(log.open(u16(scratch.root / L"folder.log").c_str()).refusal, LogRefusal::NotAFile);
    EXPECT_EQ(log.open(u16(scratch.root / L"missing" / L"setup.log").c_str()).refusal,
              LogRefusal::NoFolder);
    EXPECT_FALSE(std::filesystem::exists(scratch.root / L"missing"));
    // A file everyone may write: someone else's, whoever made it.
    auto open = scratch.root / L"open.log";
    writeText(open, "theirs\r\n");
    PSECURITY_DESCRIPTOR everyone = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;FA;;;WD)", SDDL_REVISION_1, &everyone, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(everyone, &present, &dacl, &defaulted);
    if (SetNamedSecurityInfoW(const_cast<wchar_t*>(open.c_str()), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS) {
        EXPECT_EQ(log.open(u16(open).c_str()).refusal, LogRefusal::OthersCanWrite);
        EXPECT_EQ(contents(open), "theirs\r\n");
    }
    LocalFree(everyone);
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
