// The setup log: its lines, where it may be created, and that it never goes through a link.
#include <gtest/gtest.h>

#include "engine/SetupLog.h"
#include "platform/fake/FakeLogFile.h"
#include "platform/fake/FaultPlan.h"
#include "tests/support/FakeMachine.h"

using namespace testpkg;

namespace {

struct LogMachine : FakeMachine {
    fake::FakeLogFile log{files};
    LogMachine() {
        platform::os().log = &log;
        for (const char16_t* f : {u"C:\\Users", u"C:\\Users\\Admin", u"C:\\Users\\Admin\\AppData",
                                  u"C:\\Users\\Admin\\AppData\\Local", u"C:\\Windows",
                                  u"C:\\Windows\\Temp", u"D:", u"D:\\Shared"}) {
            files.addFolder(f);
        }
        files.addFolder(log.temp);
    }
    ~LogMachine() { closeSetupLog(); }
};

}  // namespace

TEST(SetupLog, ALineIsStampedUtf8WithItsBreaksFlattened) {
    platform::LocalTime t{2026, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(formatLogLine(t, "ST_COPYING_FILE (0)", u"C:\\Program Files\\\u5b89\u88c5\r\nx"),
              "2026-01-02 03:04:05.006 ST_COPYING_FILE (0) C:\\Program Files\\"
              "\xe5\xae\x89\xe8\xa3\x85  x\r\n");
    EXPECT_EQ(formatLogLine(t, "interactive run", u""),
              "2026-01-02 03:04:05.006 interactive run\r\n");
}

TEST(SetupLog, WhatWasLoggedBeforeTheFileOpenedIsWrittenFirst) {
    LogMachine m;
    logEvent("setup started", u"C:\\Downloads\\setup.exe");
    std::u16string path;
    ASSERT_TRUE(defaultSetupLogPath(u"KorvelServerV6", path));
    EXPECT_EQ(path, m.log.temp + u"\\KorvelServerV6-setup.log");
    ASSERT_TRUE(openSetupLog(path, false));
    logError(11, u"C:\\x", 5);
    const std::string& text = m.log.written.at(path);
    EXPECT_EQ(text.find("setup started C:\\Downloads\\setup.exe"), 24u);
    EXPECT_NE(text.find("error ST_FILE_ERROR (11) C:\\x (Windows error 5)\r\n"), std::string::npos);
    EXPECT_EQ(setupLogPath(), path);
}

TEST(SetupLog, ATemporaryFolderOthersCanWriteGetsAProtectedFolderOfItsOwn) {
    LogMachine m;
    m.log.temp = u"C:\\Windows\\Temp";  // a service account's: every user may create files
    m.security.openToUsers(u"C:\\Windows\\Temp");
    std::u16string path;
    ASSERT_TRUE(defaultSetupLogPath(u"KorvelServerV6", path));
    ASSERT_TRUE(openSetupLog(path, false));
    EXPECT_EQ(setupLogPath(), u"C:\\Windows\\Temp\\KorvelServerV6-setup\\KorvelServerV6-setup.log");
    EXPECT_TRUE(m.security.hasProtectedList(u"C:\\Windows\\Temp\\KorvelServerV6-setup"));
    closeSetupLog();

    // Someone made that folder first: it is theirs, and no log is written into it. The run
    // logs into a new protected folder nobody could have named first, and says so.
    LogMachine planted;
    planted.log.temp = u"C:\\Windows\\Temp";
    planted.security.openToUsers(u"C:\\Windows\\Temp");
    planted.files.addFolder(u"C:\\Windows\\Temp\\KorvelServerV6-setup");
    ASSERT_TRUE(openSetupLog(u"C:\\Windows\\Temp\\KorvelServerV6-setup.log", false));
    std::u16string fresh = setupLogPath();
    EXPECT_EQ(fresh.rfind(u"C:\\Windows\\Temp\\KorvelServerV6-setup-", 0), 0u)
        << utf16ToUtf8(fresh);
    EXPECT_EQ(fileNameOf(fresh), u"KorvelServerV6-setup.log");
    EXPECT_TRUE(planted.security.hasProtectedList(std::u16string(parentOf(fresh))));
    EXPECT_NE(planted.log.written.at(fresh).find("made by someone else"), std::string::npos);
}

// A retry must not overwrite the failure it retries: every run is appended, after a line that
// sets it apart.
TEST(SetupLog, EarlierRunsStayAndEachRunIsSetApart) {
    LogMachine m;
    ASSERT_TRUE(openSetupLog(u"D:\\Shared\\a.log", true));
    logEvent("first run");
    closeSetupLog();
    ASSERT_TRUE(openSetupLog(u"D:\\Shared\\a.log", true));
    logEvent("second run");
    const std::string& text = m.log.written.at(u"D:\\Shared\\a.log");
    std::size_t first = text.find("first run"), second = text.find("second run");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(text.substr(first, second - first).find("\r\n=========="), std::string::npos) << text;
}

TEST(SetupLog, ANamedLogGetsTheFoldersItNeeds) {
    LogMachine m;
    ASSERT_TRUE(openSetupLog(u"D:\\Deploy Logs\\touch\\setup.log", true));
    EXPECT_TRUE(m.files.hasFolder(u"D:\\Deploy Logs\\touch"));
    EXPECT_TRUE(m.security.hasProtectedList(u"D:\\Deploy Logs"));
    EXPECT_EQ(setupLogPath(), u"D:\\Deploy Logs\\touch\\setup.log");
}

// A named log is created the way the default one is: a link on the way, a second name of
// another file, a file others could write are all refused, and nothing is written there.
TEST(SetupLog, ANamedLogIsRefusedWhereAnotherAccountCouldLeadItsWrites) {
    LogMachine m;
    m.files.addFolder(u"C:\\Windows\\System32");
    m.files.addFile(u"C:\\Windows\\System32\\config.sys");
    m.files.addLink(u"D:\\Shared\\Logs", u"C:\\Windows\\System32");
    m.files.addHardLink(u"D:\\Shared\\second.log", u"C:\\Windows\\System32\\config.sys");
    m.security.openToUsers(u"D:\\Shared");
    m.files.addFile(u"D:\\Shared\\planted.log");
    for (const char16_t* path :
         {u"D:\\Shared\\Logs\\config.sys", u"D:\\Shared\\second.log", u"D:\\Shared\\planted.log"}) {
        EXPECT_FALSE(openSetupLog(path, true)) << utf16ToUtf8(path);
        EXPECT_EQ(m.log.written.count(path), 0u) << utf16ToUtf8(path);
    }
}

TEST(SetupLog, AFileTheCallerNamedIsWrittenWhereverItIsButNeverThroughALink) {
    LogMachine m;
    m.security.openToUsers(u"D:\\Shared");
    EXPECT_TRUE(openSetupLog(u"D:\\Shared\\deploy.log", true));
    EXPECT_EQ(setupLogPath(), u"D:\\Shared\\deploy.log");
    closeSetupLog();

    LogMachine linked;
    linked.files.addLink(linked.log.temp + u"\\KorvelServerV6-setup.log",
                         u"C:\\Windows\\System32\\drivers\\etc\\hosts", false);
    logEvent("kept");
    EXPECT_FALSE(openSetupLog(linked.log.temp + u"\\KorvelServerV6-setup.log", false));
    EXPECT_TRUE(linked.log.written.empty());
    // A later file gets what was kept.
    ASSERT_TRUE(openSetupLog(u"D:\\Shared\\named.log", true));
    EXPECT_NE(linked.log.written.at(u"D:\\Shared\\named.log").find("kept"), std::string::npos);
}

TEST(SetupLog, AWriteThatFailsCostsNothingAndNoTableMeansNoLog) {
    LogMachine m;
    ASSERT_TRUE(openSetupLog(u"D:\\Shared\\a.log", true));
    fake::faults().failOperation("appendLog");
    logEvent("lost");
    fake::faults().clear();
    logEvent("kept");
    EXPECT_EQ(m.log.written.at(u"D:\\Shared\\a.log").find("lost"), std::string::npos);
    closeSetupLog();
    platform::os().log = nullptr;
    logEvent("nowhere");
    EXPECT_FALSE(openSetupLog(u"D:\\Shared\\b.log", true));
    EXPECT_EQ(lastSystemError(), 0u);
}
