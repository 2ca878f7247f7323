// The product's uninstaller on the fake machine: an installation removed through its own log
// leaves nothing, with the uninstaller's own program left for its caller; what cannot be
// removed is named; the messages come in the installation's language.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/InstalledLanguage.h"
#include "engine/ProductRemoval.h"
#include "engine/RegistryPaths.h"
#include "tests/support/InstallHarness.h"
#include "text/RemovalMessages.h"

using namespace testpkg;

namespace {

const std::u16string kUninstaller = kProductFolder + u"\\Uninstall.exe";

bool mentions(const std::vector<std::u16string>& leftovers, std::u16string_view text) {
    return std::any_of(leftovers.begin(), leftovers.end(),
                       [&](const std::u16string& l) { return l.find(text) != l.npos; });
}

}  // namespace

TEST(ProductRemoval, RemovesEverythingButTheRunningUninstallerWhichItsCallerMoves) {
    InstallHarness h;
    MachineSnapshot before = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    RemovalReport report = removeInstallation(kLogPath.c_str(), kUninstaller.c_str());
    ASSERT_TRUE(report.loaded);
    EXPECT_TRUE(report.believed);
    EXPECT_TRUE(report.product == u"KorvelServerV6");
    EXPECT_TRUE(report.leftovers.empty());
    // Its own program is the one file still there, and so the product folder.
    EXPECT_TRUE(h.machine.files.hasFile(kUninstaller));
    h.machine.files.deleteFile(kUninstaller.c_str());
    std::vector<std::u16string> folders;
    removeProductFolders(report.trust, folders);
    EXPECT_TRUE(folders.empty());
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}

TEST(ProductRemoval, NamesWhatCouldNotBeRemoved) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    fake::faults().failOperation("deleteService");
    h.machine.files.addFile(kProductFolder + u"\\notes.txt");
    RemovalReport report = removeInstallation(kLogPath.c_str(), kUninstaller.c_str());
    EXPECT_TRUE(mentions(report.leftovers, u"LOG_SERVICE"));
    EXPECT_FALSE(mentions(report.leftovers, u"KorvelPanel.exe"));
    fake::faults().clear();
    h.machine.files.deleteFile(kUninstaller.c_str());
    removeProductFolders(report.trust, report.leftovers);
    // The user's own file keeps the product folder, and is named as the reason.
    EXPECT_TRUE(mentions(report.leftovers, u"folder " + kProductFolder));
    EXPECT_TRUE(mentions(report.leftovers, u"still holds notes.txt"));
    EXPECT_FALSE(report.complete());
}

TEST(ProductRemoval, WhatRemainsCoversEveryKindOfRecord) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    UninstallLog log;
    ASSERT_TRUE(loadLog(log, kLogPath.c_str()));
    FoundLogTrust trust = judgeFoundLog(log, kLogPath.c_str());
    ASSERT_TRUE(trust.believed);
    std::vector<std::u16string> all = whatRemains(log, trust);
    for (std::u16string_view kind :
         {u"LOG_FILE", u"LOG_REGISTRY_KEY", u"LOG_SERVICE", u"LOG_START_MENU_SHORTCUT",
          u"LOG_DESKTOP_SHORTCUT", u"LOG_FOLDER", u"LOG_UNINSTALL_ENTRY", u"LOG_RUN_ENTRY"}) {
        EXPECT_TRUE(mentions(all, kind)) << utf16ToUtf8(kind);
    }
    EXPECT_TRUE(mentions(all, u"SOFTWARE\\KorvelServerV5"));
}

TEST(ProductRemoval, ALogThatIsNotBelievedRemovesNothing) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    MachineSnapshot installed = h.machine.snapshot();
    // Found in a folder its header does not name: someone put it there.
    std::u16string planted = u"C:\\Users\\Public\\uninstall.log";
    h.machine.files.addFile(planted, h.machine.files.contents(kLogPath));
    RemovalReport report = removeInstallation(planted.c_str(), nullptr);
    EXPECT_TRUE(report.loaded);
    EXPECT_FALSE(report.believed);
    EXPECT_FALSE(report.complete());
    MachineSnapshot after = h.machine.snapshot();
    after.files.erase(planted);
    EXPECT_TRUE(after == installed) << describeDifference(installed, after);
}

TEST(ProductRemoval, AMissingLogIsNotLoaded) {
    InstallHarness h;
    RemovalReport report = removeInstallation(kLogPath.c_str(), nullptr);
    EXPECT_FALSE(report.loaded);
    EXPECT_FALSE(report.complete());
}

TEST(RemovalMessages, ComeInTheLanguageTheInstallationWroteIntoTheProductKey) {
    InstallHarness h;
    EXPECT_EQ(installedLanguage(demoIdentity()), 1033u);  // no product key: English
    h.parameter.language = 1031;
    ASSERT_TRUE(h.install());
    EXPECT_EQ(installedLanguage(demoIdentity()), 1031u);
    EXPECT_TRUE(removalQuestion(1031, u"Pr") ==
                u"Pr und alle zugeh\u00f6rigen Komponenten von diesem Computer entfernen?");
    EXPECT_TRUE(removalDone(1033, u"Pr") == u"Pr was removed from this computer.");
    EXPECT_TRUE(removalQuestion(3082, u"Pr") == removalQuestion(1033, u"Pr"));
    for (std::uint32_t lang : {2052u, 1033u, 1040u, 1031u, 1042u}) {
        EXPECT_NE(removalIncomplete(lang, u"Pr").find(u"Pr"), std::u16string::npos) << lang;
        EXPECT_FALSE(removalNothingFound(lang).empty());
    }
}
