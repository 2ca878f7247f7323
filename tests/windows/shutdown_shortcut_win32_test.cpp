#include <gtest/gtest.h>

#include "engine/ProgramShutdown.h"
#include "engine/RunProgram.h"
#include "engine/Shortcuts.h"
#include "tests/windows/Win32Machine.h"

namespace {

bool hasDisplay() {
    return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0;
}

std::vector<DWORD> idsWithImage(const std::u16string& image) {
    win32::Win32Processes processes;
    std::vector<platform::ProcessEntry> entries;
    std::vector<DWORD> ids;
    processes.listProcesses(entries);
    for (const auto& e : entries) {
        platform::OsHandle h = processes.open(e.id);
        std::u16string path;
        if (h && processes.imagePath(h, path) && path == image) ids.push_back(e.id);
        processes.close(h);
    }
    return ids;
}

}  // namespace

TEST(Win32Shortcut, LinkLoadsBackWithItsTarget) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts link");
    auto target = scratch.add(L"fixture_hang.exe", L"Korvel Touch", L"Panel.exe");
    auto other = scratch.add(L"fixture_hang.exe", L"Korvel Touch", L"Other.exe");
    std::u16string link = u16(scratch.root / L"Korvel Panel");
    ASSERT_TRUE(createShortcut(u16(other).c_str(), link.c_str()));
    ASSERT_TRUE(createShortcut(u16(target).c_str(), link.c_str()));  // overwrites
    EXPECT_TRUE(std::filesystem::exists(scratch.root / L"Korvel Panel.lnk"));
    EXPECT_FALSE(std::filesystem::exists(scratch.root / L"Korvel Panel"));

    ASSERT_TRUE(machine.shell.initializeCom());
    std::u16string loaded;
    int show = 0;
    bool ok = machine.shell.loadLink((link + u".lnk").c_str(), loaded, show);
    machine.shell.uninitializeCom();
    ASSERT_TRUE(ok);
    EXPECT_EQ(loaded, u16(target));
    // The link format keeps only normal, maximised and minimised; SW_SHOW reads back as normal.
    EXPECT_TRUE(show == SW_SHOW || show == SW_SHOWNORMAL) << show;
}

TEST(Win32Shortcut, NameWindowsRefusesIsAFailure) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts badlink");
    std::u16string link = u16(scratch.root) + u"\\Panel: a|b?";
    EXPECT_FALSE(createShortcut(u"C:\\windows\\notepad.exe", link.c_str()));
    EXPECT_TRUE(std::filesystem::is_empty(scratch.root));
}

TEST(Win32CloseProgram, WindowlessProgramIsTerminatedAfterThirtySeconds) {
    Win32Machine machine;
    ScratchFolder scratch(L"ts close hang");
    auto exe = scratch.add(L"fixture_hang.exe", L"Korvel Touch", L"TsHung.exe");
    auto other = scratch.add(L"fixture_hang.exe", L"elsewhere", L"TsHung.exe");
    std::u16string pidArg = u"\"" + u16(scratch.root / L"hung.pid") + u"\"";
    std::u16string otherArg = u"\"" + u16(scratch.root / L"other.pid") + u"\"";
    ASSERT_TRUE(runProgram(u16(exe).c_str(), pidArg.c_str(), kNoWait));
    ASSERT_TRUE(runProgram(u16(other).c_str(), otherArg.c_str(), kNoWait));
    ASSERT_TRUE(waitForFile(scratch.root / L"hung.pid", 10000));
    ASSERT_TRUE(waitForFile(scratch.root / L"other.pid", 10000));
    ASSERT_EQ(idsWithImage(u16(exe)).size(), 1u);

    DWORD start = GetTickCount();
    EXPECT_TRUE(closeProgram(u16(exe).c_str()));
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 29900u);
    EXPECT_LT(took, 60000u);
    EXPECT_TRUE(idsWithImage(u16(exe)).empty());
    // Same file name in another folder: left alone, then ended the same way by the test.
    ASSERT_EQ(idsWithImage(u16(other)).size(), 1u);
    for (DWORD pid : idsWithImage(u16(other))) {
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        TerminateProcess(h, 1);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
    }
}

// Windows need an X display under Wine; tests/e2e/close_window.sh runs this under Xvfb.
TEST(Win32CloseProgram, WindowedProgramClosesOnRequest) {
    if (!hasDisplay()) GTEST_SKIP() << "no display: run by tests/e2e/close_window.sh";
    Win32Machine machine;
    ScratchFolder scratch(L"ts close window");
    auto exe = scratch.add(L"fixture_window.exe", L"Korvel Touch", L"TsWindow.exe");
    std::u16string folderArg = u16(exe.parent_path());
    ASSERT_TRUE(runProgram(u16(exe).c_str(), folderArg.c_str(), kNoWait));
    ASSERT_TRUE(waitForFile(exe.parent_path() / L"ready", 20000));

    DWORD start = GetTickCount();
    EXPECT_TRUE(closeProgram(u16(exe).c_str()));
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_TRUE(std::filesystem::exists(exe.parent_path() / L"closed"));
    EXPECT_TRUE(idsWithImage(u16(exe)).empty());
}
