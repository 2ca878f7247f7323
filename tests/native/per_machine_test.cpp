// Where an installation puts what belongs to users, and how a removal from another account
// finds it: a per-machine installation (run as LocalSystem, or asked with /ALLUSERS) uses every
// user's Start menu and desktop and HKLM's Run values, recorded so that any account's removal
// takes them; a per-user one the account's own, of which another administrator's removal takes
// what it can judge and names what it cannot reach.
#include <gtest/gtest.h>

#include "engine/ProductRemoval.h"
#include "engine/RegistryPaths.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"

using namespace testpkg;
using platform::RegistryRoot;

namespace {

const std::u16string kPanel = kProductFolder + u"\\KorvelPanel.exe";
const std::u16string kCommonMenu =
    u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Brenmark\\KorvelServerV6";

// Another administrator, logged on later: another profile and another name.
void becomeAnotherAdministrator(FakeMachine& m) {
    m.system.localSystem = false;
    m.system.account = u"PC\\other";
    m.processes.thisAccount = u"PC\\other";
    m.files.profile = u"C:\\Users\\other";
}

std::u16string scopeOf(const std::u16string& logPath) {
    UninstallLog log;
    TextBuffer text;
    if (!loadLog(log, logPath.c_str())) return u"<no log>";
    for (const LogRecord* r = log.first; r; r = r->next) {
        if (r->type == LOG_INSTALL_SCOPE && recordText(*r, text))
            return std::u16string(viewOf(text));
    }
    return u"<none>";
}

}  // namespace

TEST(PerMachine, WhatARunAsLocalSystemMadeIsFoundAndRemovedFromAnyAccount) {
    InstallHarness h;
    h.machine.system.localSystem = true;
    h.machine.system.account = u"NT AUTHORITY\\SYSTEM";
    h.machine.processes.thisAccount = fake::FakeProcesses::kLocalSystem;
    h.parameter.perMachine = 1;
    MachineSnapshot clean = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    EXPECT_EQ(scopeOf(kLogPath), u"per-machine NT AUTHORITY\\SYSTEM");
    EXPECT_TRUE(h.machine.files.hasFile(kCommonMenu + u"\\KorvelPanel.lnk"));
    EXPECT_TRUE(h.machine.files.hasFile(u"C:\\Users\\Public\\Desktop\\KorvelPanel.lnk"));
    EXPECT_TRUE(h.machine.registry.value(RegistryRoot::LocalMachine, kRunKeyPath, u"KorvelPanel"));
    EXPECT_EQ(h.machine.processes.runningWithImage(kPanel), 0);

    becomeAnotherAdministrator(h.machine);
    RemovalReport report = removeInstallation(kLogPath.c_str(), nullptr);
    removeProductFolders(report.trust, report.leftovers);
    EXPECT_TRUE(report.complete());
    EXPECT_TRUE(report.otherAccounts.empty());
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == clean) << describeDifference(clean, after);
}

TEST(PerUser, AnotherAdministratorsRemovalTakesWhatItCanJudgeAndNamesWhatItCannotReach) {
    InstallHarness h;
    MachineSnapshot clean = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    EXPECT_EQ(scopeOf(kLogPath), u"per-user PC\\admin");
    const std::u16string menu = u"C:\\Users\\admin\\Start Menu\\Programs\\Brenmark\\KorvelServerV6";
    ASSERT_TRUE(h.machine.files.hasFile(menu + u"\\KorvelPanel.lnk"));
    ASSERT_TRUE(h.machine.files.hasFile(u"C:\\Users\\admin\\Desktop\\KorvelPanel.lnk"));

    // The other administrator's HKCU is their own: the installing account's Run value is out
    // of reach, which the fake shows by taking it away for the removal and putting it back.
    auto run = h.machine.registry.value(RegistryRoot::CurrentUser, kRunKeyPath, u"KorvelPanel");
    ASSERT_TRUE(run);
    platform::RegistryKey key = 0;
    ASSERT_TRUE(h.machine.registry.openKey(RegistryRoot::CurrentUser, kRunKeyPath,
                                           platform::KeyAccess::AllAccess, key));
    h.machine.registry.deleteValue(key, u"KorvelPanel");
    h.machine.registry.closeKey(key);
    h.machine.processes.addRunning(kPanel).account = u"PC\\admin";  // still logged on
    becomeAnotherAdministrator(h.machine);

    RemovalReport report = removeInstallation(kLogPath.c_str(), nullptr);
    removeProductFolders(report.trust, report.leftovers);
    EXPECT_TRUE(report.complete())
        << (report.leftovers.empty() ? "" : utf16ToUtf8(report.leftovers[0]));
    ASSERT_EQ(report.otherAccounts.size(), 1u);
    EXPECT_EQ(report.otherAccounts[0],
              u"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\KorvelPanel of PC\\admin");
    h.machine.registry.putValue(RegistryRoot::CurrentUser, kRunKeyPath, u"KorvelPanel", *run);
    MachineSnapshot after = h.machine.snapshot();
    after.registry = clean.registry;  // compared below: only the unreachable value stays
    after.runningPrograms = clean.runningPrograms;
    EXPECT_TRUE(after == clean) << describeDifference(clean, after);
    EXPECT_FALSE(h.machine.files.hasFolder(u"C:\\Users\\admin\\Start Menu\\Programs\\Brenmark"));
    EXPECT_FALSE(h.machine.files.hasFile(u"C:\\Users\\admin\\Desktop\\KorvelPanel.lnk"));
}

// The product's programs the installation closed come back for the accounts they belonged to:
// for this account at once, for another only from LocalSystem (with that account's token, in its
// session), and never as LocalSystem.
TEST(ClosedPrograms, AReinstallStartsThemAgainForTheAccountsTheyBelongedTo) {
    const std::u16string panel = u"C:\\Program Files\\Alder\\TouchSuite\\TouchPanel.exe";
    const ProductIdentity alder = identityOf(u"Alder TouchSuite", u"TouchSuite");
    struct Case {
        const char* what;
        bool asSystem;
        std::u16string owner;
        bool again;
    };
    for (const Case& c :
         {Case{"this administrator's", false, u"PC\\admin", true},
          Case{"another account's, from an administrator", false, u"PC\\kiosk", false},
          Case{"another account's, from LocalSystem", true, u"PC\\kiosk", true}}) {
        SCOPED_TRACE(c.what);
        InstallHarness h(touchSuitePackage(u"Alder", alder));
        fake::FakeProcesses::Behaviour hangs;
        hangs.runsForMs = fake::FakeProcesses::kHangs;
        hangs.windows = 1;
        h.machine.processes.program(panel, hangs);
        ASSERT_TRUE(h.install());
        h.machine.processes.addRunning(panel, hangs).account = c.owner;
        if (c.asSystem) {
            h.machine.system.localSystem = true;
            h.machine.processes.thisAccount = fake::FakeProcesses::kLocalSystem;
            h.parameter.perMachine = 1;
        }
        ASSERT_TRUE(h.install());
        int forOwner = 0, others = 0;
        for (const auto* p : h.machine.processes.all()) {
            if (!p->running || p->image != panel) continue;
            (p->account == c.owner ? forOwner : others) += 1;
        }
        EXPECT_EQ(forOwner, c.again ? 1 : 0);
        EXPECT_EQ(others, 0);
    }
}
