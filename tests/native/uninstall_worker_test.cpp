#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/ProductRemoval.h"
#include "package/FileRemoval.h"
#include "tests/native/EngineFakes.h"
#include "tests/support/InstallHarness.h"

using namespace testpkg;

namespace {

std::size_t firstIndex(const std::vector<std::string>& trace, const std::string& prefix) {
    for (std::size_t i = 0; i < trace.size(); ++i) {
        if (trace[i].rfind(prefix, 0) == 0) return i;
    }
    return trace.size();
}

void headerOf(UninstallLog& log, const char16_t* root, const char16_t* company,
              const char16_t* product) {
    copyText(log.root, root);
    copyText(log.company, company);
    copyText(log.product, product);
}

// Saves the log where a later installation would find it, and uninstalls from it.
void uninstallFrom(UninstallLog& log, const std::u16string& path) {
    ASSERT_TRUE(saveLog(log, path.c_str()));
    ASSERT_TRUE(runUninstallJob(path));
}

}  // namespace

TEST(UninstallWorker, StopsAndClosesEverythingBeforeDeletingAnything) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    fake::faults().clear();
    ASSERT_TRUE(h.uninstall());
    const auto& trace = fake::faults().trace();
    std::size_t firstDelete =
        std::min(firstIndex(trace, "deleteFile"), firstIndex(trace, "removeBelow"));
    std::size_t panelClosed = firstIndex(trace, "imagePath");
    std::size_t serviceStopped = firstIndex(trace, "controlStop");
    std::size_t serviceDeleted = firstIndex(trace, "deleteService");
    ASSERT_LT(firstDelete, trace.size());
    EXPECT_LT(panelClosed, firstDelete);
    EXPECT_LT(serviceStopped, firstDelete);
    EXPECT_GT(serviceDeleted, firstDelete);  // the log file and shortcuts go before services
    // Undone in reverse: the log itself first, the first copied file last. Files go through a
    // handle below the product folder, never through a link on the way.
    EXPECT_EQ(trace[firstDelete], "removeBelow " + utf16ToUtf8(kLogPath));
    EXPECT_EQ(h.machine.processes.runningWithImage(kProductFolder + u"\\KorvelPanel.exe"), 0);
    // A pause after every record, and half a second at the end.
    EXPECT_EQ(h.machine.clock.slept() % 10, 0u);
}

TEST(UninstallWorker, FilesLeftBehindKeepTheirFoldersAndTheWorkerEndsNormally) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    h.machine.files.addFile(kProductFolder + u"\\driver\\user-notes.txt");
    ASSERT_TRUE(h.uninstall());
    EXPECT_TRUE(h.machine.files.hasFile(kProductFolder + u"\\driver\\user-notes.txt"));
    EXPECT_TRUE(h.machine.files.hasFolder(u"C:\\Program Files\\Brenmark"));
    EXPECT_FALSE(h.machine.files.hasFolder(kProductFolder + u"\\driver\\HID"));
    EXPECT_FALSE(h.machine.files.hasFile(kProductFolder + u"\\KorvelPanel.exe"));
    EXPECT_FALSE(h.machine.files.hasFolder(u"C:\\Users\\Public\\Documents\\Vantrel"));
}

TEST(UninstallWorker, UnknownRecordsAreKeptAndSkipped) {
    FakeMachine m;
    m.files.addFolder(u"C:\\P");
    UninstallLog log;
    headerOf(log, u"C:\\P", u"Co", u"Pr");
    appendText(log, LOG_SERVICE_STARTED, u"Svc");
    appendRecord(log, 21, "\x01\x02", 2);
    appendText(log, LOG_DRIVER_SCRIPT, u"");  // an empty command line starts nothing
    uninstallFrom(log, u"C:\\P\\uninstall.log");
    EXPECT_TRUE(m.processes.all().empty());
    EXPECT_TRUE(m.files.hasFolder(u"C:\\P"));
}

// A log planted in a folder anyone can write must not make the elevated installer delete, run
// or stop what does not belong to that log's own installation.
TEST(UninstallWorker, ALogIsTrustedOnlyWithinItsOwnInstallation) {
    FakeMachine m;
    m.files.addFolder(u"C:\\Data");
    m.files.addFolder(u"C:\\Data\\Co");
    m.files.addFolder(u"C:\\Data\\Co\\Pr");
    m.files.addFile(u"C:\\Data\\Co\\Pr\\own.dll");
    m.files.addFile(u"C:\\Windows\\System32\\kernel-ish.dll");
    m.files.addFolder(u"C:\\Windows\\System32\\drivers");
    m.files.addFile(u"C:\\Windows\\System32\\drivers\\disk.sys");
    m.files.addFile(u"C:\\Windows\\System32\\planted.dll");
    m.files.addFile(u"C:\\Data\\Co\\secret.txt");
    m.files.addFile(u"C:\\Data\\Co\\PrX\\other.txt");
    m.services.add(u"WinDefend", platform::kServiceRunning);
    UninstallLog log;
    headerOf(log, u"C:\\Data", u"Co", u"Pr");
    appendText(log, LOG_FILE, u"C:\\Data\\Co\\Pr\\own.dll");
    appendText(log, LOG_FILE, u"C:\\Data\\Co\\Pr\\..\\secret.txt");
    appendText(log, LOG_FILE, u"C:\\Data\\Co\\Pr/../secret.txt");
    appendText(log, LOG_FILE, u"C:\\Data\\Co\\PrX\\other.txt");
    appendText(log, LOG_FILE, u"C:\\Windows\\System32\\kernel-ish.dll");
    appendText(log, LOG_SYSTEM_FILE, u"C:\\Windows\\System32\\drivers\\disk.sys");
    appendText(log, LOG_SYSTEM_FILE, u"C:\\Windows\\System32\\planted.dll");
    appendText(log, LOG_DRIVER_SCRIPT, u"C:\\Windows\\System32\\cmd.exe");
    appendText(log, LOG_SERVICE, u"C:\\Windows\\WinDefend.exe");
    uninstallFrom(log, u"C:\\Data\\Co\\Pr\\uninstall.log");

    EXPECT_FALSE(m.files.hasFile(u"C:\\Data\\Co\\Pr\\own.dll"));
    EXPECT_TRUE(m.files.hasFile(u"C:\\Data\\Co\\secret.txt"));
    EXPECT_TRUE(m.files.hasFile(u"C:\\Data\\Co\\PrX\\other.txt"));
    EXPECT_TRUE(m.files.hasFile(u"C:\\Windows\\System32\\kernel-ish.dll"));
    EXPECT_TRUE(m.files.hasFile(u"C:\\Windows\\System32\\drivers\\disk.sys"));
    EXPECT_FALSE(
        m.files.hasFile(u"C:\\Windows\\System32\\planted.dll"));  // a system file it may own
    EXPECT_TRUE(m.processes.all().empty());
    ASSERT_TRUE(m.services.has(u"WinDefend"));
    EXPECT_EQ(m.services.find(u"WinDefend")->state, platform::kServiceRunning);
}

TEST(UninstallWorker, AHeaderNamingAnotherFolderEarnsNoTrust) {
    FakeMachine m;
    m.files.addFolder(u"C:\\Data");
    m.files.addFolder(u"C:\\Data\\Co");
    m.files.addFolder(u"C:\\Data\\Co\\Pr");
    m.files.addFolder(u"C:\\Windows\\System32\\drivers");
    m.files.addFile(u"C:\\Windows\\System32\\drivers\\disk.sys");
    m.files.addFile(u"C:\\Windows\\System32\\drivers\\net.sys");
    m.services.add(u"WinDefend", platform::kServiceRunning);
    UninstallLog log;
    headerOf(log, u"C:\\Windows", u"System32", u"drivers");
    appendText(log, LOG_FILE, u"C:\\Windows\\System32\\drivers\\disk.sys");
    appendText(log, LOG_SERVICE, u"C:\\Windows\\System32\\drivers\\WinDefend.exe");
    appendText(log, LOG_DRIVER_SCRIPT, u"C:\\Windows\\System32\\drivers\\run.bat");
    appendText(log, LOG_SYSTEM_FILE, u"C:\\Windows\\System32\\drivers/net.sys");
    uninstallFrom(log, u"C:\\Data\\Co\\Pr\\uninstall.log");
    EXPECT_TRUE(m.files.hasFile(u"C:\\Windows\\System32\\drivers\\disk.sys"));
    EXPECT_TRUE(m.files.hasFile(u"C:\\Windows\\System32\\drivers\\net.sys"));
    EXPECT_TRUE(m.processes.all().empty());
    EXPECT_EQ(m.services.find(u"WinDefend")->state, platform::kServiceRunning);
}

// A file still held for a moment (a program that has just been closed, a scanner) goes once it
// is free; one that stays held, or cannot go for another reason, is left after a short while.

TEST(FileRemoval, AFileInUseIsTriedAgainForAShortWhileOnly) {
    EngineFakes m;
    m.files.addFolder(u"C:\\P");
    m.files.addFile(u"C:\\P\\a.exe");
    int refusals = 5;
    m.files.inUse = [&](const std::u16string&) { return refusals-- > 0; };
    EXPECT_TRUE(deleteFileWhenFree(u"C:\\P\\a.exe"));
    EXPECT_FALSE(m.files.hasFile(u"C:\\P\\a.exe"));
    EXPECT_EQ(m.clock.slept(), 5 * kInUseRetryMs);

    m.files.addFile(u"C:\\P\\b.exe");
    m.files.inUse = [](const std::u16string&) { return true; };
    EXPECT_FALSE(deleteFileWhenFree(u"C:\\P\\b.exe"));
    EXPECT_TRUE(m.files.hasFile(u"C:\\P\\b.exe"));
    EXPECT_EQ(m.clock.slept(), (5 + kInUseRetries) * kInUseRetryMs);

    m.files.inUse = nullptr;
    fake::faults().failOperation("deleteFile");
    EXPECT_FALSE(deleteFileWhenFree(u"C:\\P\\b.exe"));
    EXPECT_EQ(m.clock.slept(), (5 + kInUseRetries) * kInUseRetryMs);
}

TEST(UninstallWorker, FilesStillHeldForAMomentAreRemovedAll) {
    InstallHarness h;
    MachineSnapshot before = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    // Every file refuses its first two deletions.
    std::map<std::u16string, int> refusals;
    h.machine.files.inUse = [&](const std::u16string& path) { return refusals[path]++ < 2; };
    ASSERT_TRUE(h.uninstall());
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}

// The driver folder is still the working folder of the uninstall script's process for a moment
// after that process was seen to end (on a loaded machine, for longer): the product folders go
// all the same, and the removal says nothing stayed.
TEST(UninstallWorker, AFolderStillInUseForAMomentIsRemovedAll) {
    InstallHarness h;
    MachineSnapshot before = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    int refusals = 3;
    h.machine.files.inUse = [&](const std::u16string& path) {
        return path == kProductFolder + u"\\driver" && refusals-- > 0;
    };
    RemovalReport report = removeInstallation(kLogPath.c_str(), nullptr);
    removeProductFolders(report.trust, report.leftovers);
    EXPECT_TRUE(report.complete());
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}

TEST(FileRemoval, AFolderInUseIsTriedAgainButOneThatIsNotEmptyIsNot) {
    EngineFakes m;
    m.files.addFolder(u"C:\\P");
    m.files.addFolder(u"C:\\P\\d");
    m.files.addFile(u"C:\\P\\d\\f");
    int refusals = 4;
    m.files.inUse = [&](const std::u16string&) { return refusals-- > 0; };
    EXPECT_FALSE(removeFolderWhenFree(u"C:\\P\\d"));  // not empty: at once
    EXPECT_EQ(m.clock.slept(), 0u);
    m.files.removeTree(u"C:\\P\\d\\f");
    EXPECT_TRUE(removeFolderWhenFree(u"C:\\P\\d"));
    EXPECT_EQ(m.clock.slept(), 4 * kInUseRetryMs);
    EXPECT_FALSE(m.files.hasFolder(u"C:\\P\\d"));
}
