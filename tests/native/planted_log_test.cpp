// An uninstall.log found on disk is an attacker's best lever on the elevated installer: each
// test plants one that names something outside the installation, runs the uninstall as the next
// installer would, and checks that only what the installation owns went.
#include <gtest/gtest.h>

#include "common/Names.h"
#include "engine/LogIdentity.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"

using namespace testpkg;
using platform::RegistryRoot;

namespace {

const std::u16string kFolder = u"C:\\Apps\\Co\\Pr";
const std::u16string kLog = kFolder + u"\\uninstall.log";
const std::u16string kPrograms = u"C:\\Users\\admin\\Start Menu\\Programs";
const std::u16string kDesktop = u"C:\\Users\\admin\\Desktop";

// An installation of product Pr by company Co under C:\Apps, and a log for it.
struct PlantedLog {
    FakeMachine m;
    UninstallLog log;

    PlantedLog() {
        m.files.addFolder(u"C:\\Apps");
        m.files.addFolder(u"C:\\Apps\\Co");
        m.files.addFolder(kFolder);
        copyText(log.root, u"C:\\Apps");
        copyText(log.company, u"Co");
        copyText(log.product, u"Pr");
    }
    void add(std::uint8_t type, std::u16string_view text) { appendText(log, type, text); }
    void link(const std::u16string& at, const std::u16string& target) {
        m.files.addFile(at + u".lnk");
        ASSERT_EQ(m.shell.saveLink(target.c_str(), (at + u".lnk").c_str()),
                  platform::LinkSave::Saved);
    }
    void menuEntry(const std::u16string& name, const std::u16string& program) {
        std::u16string key = u"DesktopBackground\\Shell\\" + name;
        m.registry.addKey(RegistryRoot::ClassesRoot, key);
        m.registry.putValue(RegistryRoot::ClassesRoot, key, u"Icon",
                            fake::FakeRegistry::stringValue(program));
        m.registry.addKey(RegistryRoot::ClassesRoot, key + u"\\command");
        m.registry.putValue(RegistryRoot::ClassesRoot, key + u"\\command", u"",
                            fake::FakeRegistry::stringValue(program));
    }
    void runValue(const std::u16string& name, const std::u16string& command) {
        m.registry.putValue(RegistryRoot::CurrentUser,
                            u"Software\\Microsoft\\Windows\\CurrentVersion\\Run", name,
                            fake::FakeRegistry::stringValue(command));
    }
    bool hasRunValue(const std::u16string& name) {
        return m.registry
            .value(RegistryRoot::CurrentUser, u"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                   name)
            .has_value();
    }
    // Saves the log into the product folder and uninstalls from it.
    void uninstall() {
        ASSERT_TRUE(saveLog(log, kLog.c_str()));
        runUninstallJob(kLog);
    }
};

}  // namespace

TEST(PlantedLog, AServiceGoesOnlyWhenItsRegisteredProgramLiesInTheProductFolder) {
    PlantedLog p;
    auto& defender = p.m.services.add(u"WinDefend", platform::kServiceRunning);
    defender.binaryPath = u"\"C:\\Program Files\\Windows Defender\\MsMpEng.exe\"";
    p.m.services.add(u"PrService", platform::kServiceRunning).binaryPath =
        u"\"" + kFolder + u"\\PrService.exe\"";
    p.m.services.add(u"OldService", platform::kServiceRunning).binaryPath =
        kFolder + u"\\OldService.exe";  // as installers before the quoting wrote it
    p.add(LOG_SERVICE, kFolder + u"\\WinDefend.exe");
    p.add(LOG_SERVICE, kFolder + u"\\PrService.exe");
    p.add(LOG_SERVICE, kFolder + u"\\OldService.exe");
    p.uninstall();
    ASSERT_TRUE(p.m.services.has(u"WinDefend"));
    EXPECT_EQ(p.m.services.find(u"WinDefend")->state, platform::kServiceRunning);
    EXPECT_EQ(p.m.services.find(u"WinDefend")->stopCalls, 0);
    EXPECT_FALSE(p.m.services.has(u"PrService"));
    EXPECT_FALSE(p.m.services.has(u"OldService"));
}

TEST(PlantedLog, OnlyTheProductKeyIsDeleted) {
    PlantedLog p;
    p.m.registry.addKey(RegistryRoot::LocalMachine, u"SOFTWARE\\Victim");
    p.m.registry.addKey(RegistryRoot::CurrentUser, u"Software\\Victim");
    p.m.registry.addKey(RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5");
    appendRegistryKey(p.log, 0x80000002u, u"SOFTWARE\\Victim");
    appendRegistryKey(p.log, 0x80000001u, u"Software\\Victim");
    appendRegistryKey(p.log, 0x80000002u, u"software\\korvelserverv5");
    p.uninstall();
    EXPECT_TRUE(p.m.registry.hasKey(RegistryRoot::LocalMachine, u"SOFTWARE\\Victim"));
    EXPECT_TRUE(p.m.registry.hasKey(RegistryRoot::CurrentUser, u"Software\\Victim"));
    EXPECT_FALSE(p.m.registry.hasKey(RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5"));
}

// A log that names its product removes that product's key and data folder, and no other
// product's: not the demo product's, whose names a log without an identity stands for.
TEST(PlantedLog, TheKeyAndDataFolderAreThoseOfTheProductTheLogNames) {
    const std::u16string documents = u"C:\\Users\\Public\\Documents";
    PlantedLog p;
    appendIdentityRecord(p.log, testpkg::identityOf(u"Orbis", u"Orbis Data"));
    for (const char16_t* key : {u"SOFTWARE\\KorvelServerV5", u"SOFTWARE\\Orbis"}) {
        p.m.registry.addKey(RegistryRoot::LocalMachine, key);
        appendRegistryKey(p.log, 0x80000002u, key);
    }
    for (const char16_t* folder : {u"\\Vantrel", u"\\Orbis Data"}) {
        p.m.files.addFolder(documents + folder);
        p.m.files.addFile(documents + folder + u"\\PanelConfig.ini");
    }
    p.uninstall();
    EXPECT_TRUE(p.m.registry.hasKey(RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5"));
    EXPECT_FALSE(p.m.registry.hasKey(RegistryRoot::LocalMachine, u"SOFTWARE\\Orbis"));
    EXPECT_TRUE(p.m.files.hasFile(documents + u"\\Vantrel\\PanelConfig.ini"));
    EXPECT_FALSE(p.m.files.hasFolder(documents + u"\\Orbis Data"));

    // Two identities, or a damaged one, name no product: the log is not acted on at all.
    for (int damage = 0; damage < 2; ++damage) {
        PlantedLog q;
        q.m.files.addFile(kFolder + u"\\a.txt");
        q.add(LOG_FILE, kFolder + u"\\a.txt");
        appendIdentityRecord(q.log, testpkg::identityOf(u"Orbis", u"Orbis Data"));
        if (damage == 0) appendIdentityRecord(q.log, demoIdentity());
        if (damage == 1) q.log.last->data.pop_back();
        q.uninstall();
        EXPECT_TRUE(q.m.files.hasFile(kFolder + u"\\a.txt")) << damage;
    }
}

TEST(PlantedLog, OnlyTheProductsOwnStartMenuFoldersAreRemoved) {
    PlantedLog p;
    p.m.files.addFolder(kDesktop + u"\\Empty");
    p.m.files.addFolder(kPrograms + u"\\Other");
    p.m.files.addFolder(kPrograms + u"\\Co");
    p.m.files.addFolder(kPrograms + u"\\Co\\Pr");
    p.add(LOG_FOLDER, kDesktop + u"\\Empty");
    p.add(LOG_FOLDER, kPrograms + u"\\Other");
    p.add(LOG_FOLDER, kPrograms + u"\\Co");
    p.add(LOG_FOLDER, kPrograms + u"\\Co\\Pr");
    p.uninstall();
    EXPECT_TRUE(p.m.files.hasFolder(kDesktop + u"\\Empty"));
    EXPECT_TRUE(p.m.files.hasFolder(kPrograms + u"\\Other"));
    EXPECT_FALSE(p.m.files.hasFolder(kPrograms + u"\\Co\\Pr"));
    EXPECT_FALSE(p.m.files.hasFolder(kPrograms + u"\\Co"));
}

TEST(PlantedLog, OnlyTheProductsOwnShortcutsAreDeleted) {
    PlantedLog p;
    p.m.files.addFolder(kPrograms + u"\\Other");
    p.m.files.addFolder(kPrograms + u"\\Co");
    p.m.files.addFolder(kPrograms + u"\\Co\\Pr");
    p.link(kPrograms + u"\\Other\\Tool", u"C:\\Other\\tool.exe");
    p.link(kDesktop + u"\\Browser", u"C:\\Program Files\\Browser\\browser.exe");
    p.link(kPrograms + u"\\Co\\Pr\\Panel", kFolder + u"\\Panel.exe");
    p.link(kDesktop + u"\\Panel", kFolder + u"\\Panel.exe");
    p.add(LOG_START_MENU_SHORTCUT, kPrograms + u"\\Other\\Tool");
    p.add(LOG_DESKTOP_SHORTCUT, kDesktop + u"\\Browser");
    p.add(LOG_START_MENU_SHORTCUT, kPrograms + u"\\Co\\Pr\\..\\..\\Other\\Tool");
    p.add(LOG_START_MENU_SHORTCUT, kPrograms + u"\\Co\\Pr\\Panel");
    p.add(LOG_DESKTOP_SHORTCUT, kDesktop + u"\\Panel");
    p.uninstall();
    EXPECT_TRUE(p.m.files.hasFile(kPrograms + u"\\Other\\Tool.lnk"));
    EXPECT_TRUE(p.m.files.hasFile(kDesktop + u"\\Browser.lnk"));
    EXPECT_FALSE(p.m.files.hasFile(kPrograms + u"\\Co\\Pr\\Panel.lnk"));
    EXPECT_FALSE(p.m.files.hasFile(kDesktop + u"\\Panel.lnk"));
}

TEST(PlantedLog, OnlyTheProductsOwnMenuUninstallAndRunEntriesAreRemoved) {
    PlantedLog p;
    p.menuEntry(u"OtherApp", u"C:\\Other\\app.exe");
    p.menuEntry(u"Panel", kFolder + u"\\Panel.exe");
    std::u16string uninstallList = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    p.m.registry.addKey(RegistryRoot::LocalMachine, uninstallList + u"\\OtherProduct");
    p.m.registry.addKey(RegistryRoot::LocalMachine, uninstallList + u"\\Pr");
    p.runValue(u"OneDrive", u"\"C:\\Users\\admin\\OneDrive.exe\" /background");
    p.runValue(u"Tool", u"\"C:\\Other\\Tool.exe\" -h");
    p.runValue(u"Panel", u"\"" + kFolder + u"\\Panel.exe\" -h");
    p.add(LOG_DESKTOP_MENU, u"OtherApp");
    p.add(LOG_DESKTOP_MENU, u"Panel");
    p.add(LOG_UNINSTALL_ENTRY, u"OtherProduct");
    p.add(LOG_UNINSTALL_ENTRY, u"Pr");
    p.add(LOG_RUN_ENTRY, u"\"" + kFolder + u"\\OneDrive.exe\" -h");  // names another's value
    p.add(LOG_RUN_ENTRY, u"\"C:\\Other\\Tool.exe\" -h");             // another's program
    p.add(LOG_RUN_ENTRY, u"\"" + kFolder + u"\\Panel.exe\" -h");
    p.uninstall();
    EXPECT_TRUE(p.m.registry.hasKey(RegistryRoot::ClassesRoot,
                                    u"DesktopBackground\\Shell\\OtherApp\\command"));
    EXPECT_FALSE(
        p.m.registry.hasKey(RegistryRoot::ClassesRoot, u"DesktopBackground\\Shell\\Panel"));
    EXPECT_TRUE(p.m.registry.hasKey(RegistryRoot::LocalMachine, uninstallList + u"\\OtherProduct"));
    EXPECT_FALSE(p.m.registry.hasKey(RegistryRoot::LocalMachine, uninstallList + u"\\Pr"));
    EXPECT_TRUE(p.hasRunValue(u"OneDrive"));
    EXPECT_TRUE(p.hasRunValue(u"Tool"));
    EXPECT_FALSE(p.hasRunValue(u"Panel"));
}

// Two vendors may name their products alike: the entry of that name is this installation's only
// when every place it names lies in this product folder.
TEST(PlantedLog, AnotherVendorsUninstallEntryOfTheSameNameStays) {
    const std::u16string entry = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pr";
    for (const char16_t* value : {u"UninstallString", u"DisplayIcon", u"InstallLocation"}) {
        SCOPED_TRACE(utf16ToUtf8(value));
        PlantedLog p;
        p.m.registry.putValue(RegistryRoot::LocalMachine, entry, u"DisplayName",
                              fake::FakeRegistry::stringValue(u"Pr"));
        p.m.registry.putValue(RegistryRoot::LocalMachine, entry, value,
                              fake::FakeRegistry::stringValue(
                                  std::u16string(value) == u"InstallLocation"
                                      ? u"C:\\Program Files\\Other\\Pr"
                                      : u"\"C:\\Program Files\\Other\\Pr\\Uninstall.exe\""));
        p.add(LOG_UNINSTALL_ENTRY, u"Pr");
        p.uninstall();
        EXPECT_TRUE(p.m.registry.hasKey(RegistryRoot::LocalMachine, entry));
    }
    PlantedLog ours;
    for (const char16_t* value : {u"UninstallString", u"DisplayIcon"}) {
        ours.m.registry.putValue(RegistryRoot::LocalMachine, entry, value,
                                 fake::FakeRegistry::stringValue(kFolder + u"\\Uninstall.exe"));
    }
    ours.m.registry.putValue(RegistryRoot::LocalMachine, entry, u"InstallLocation",
                             fake::FakeRegistry::stringValue(kFolder));
    ours.add(LOG_UNINSTALL_ENTRY, u"Pr");
    ours.uninstall();
    EXPECT_FALSE(ours.m.registry.hasKey(RegistryRoot::LocalMachine, entry));
}

namespace {

bool started(const FakeMachine& m, const std::u16string& program) {
    for (const auto* process : m.processes.all()) {
        if (sameIgnoringAsciiCase(process->image, program)) return true;
    }
    return false;
}

}  // namespace

// A user who can rename a folder above the log's folder could, once the log is judged, swap in a
// tree of their own: the elevated worker would run their scripts and follow their links. Such a
// log is not acted on at all.
TEST(PlantedLog, ALogBelowAFolderOthersCanRenameIsNotActedOnAtAll) {
    PlantedLog p;
    p.m.security.openToUsers(u"C:\\Apps");
    p.m.files.setAccess(u"C:\\Apps\\Co", fake::Access::OnlyTrusted);
    p.m.files.addFile(kFolder + u"\\a.txt");
    p.m.files.addFile(kFolder + u"\\u.bat");
    p.add(LOG_FILE, kFolder + u"\\a.txt");
    p.add(LOG_DRIVER_SCRIPT, kFolder + u"\\u.bat");
    p.uninstall();
    EXPECT_TRUE(p.m.files.hasFile(kFolder + u"\\a.txt"));
    EXPECT_FALSE(started(p.m, kFolder + u"\\u.bat"));
    EXPECT_EQ(p.m.files.heldCount(), 0u);
}

// From before the log is read until the worker has done what it says, the folders from the
// drive's root to the log's folder cannot be renamed or replaced; afterwards they can.
TEST(PlantedLog, TheFoldersStayHeldWhileTheLogIsActedOn) {
    PlantedLog p;
    p.m.files.addFile(kFolder + u"\\a.txt");
    p.add(LOG_FILE, kFolder + u"\\a.txt");
    std::vector<bool> moved;
    fake::faults().onCall = [&](int, const std::string& operation) {
        if (operation != "removeBelow" || !moved.empty()) return;
        for (const char16_t* folder : {u"C:\\Apps", u"C:\\Apps\\Co", u"C:\\Apps\\Co\\Pr"}) {
            moved.push_back(p.m.files.moveByUser(folder, std::u16string(folder) + u"-aside"));
        }
    };
    p.uninstall();
    EXPECT_EQ(moved, (std::vector<bool>{false, false, false}));
    EXPECT_FALSE(p.m.files.hasFile(kFolder + u"\\a.txt"));
    EXPECT_EQ(p.m.files.heldCount(), 0u);
    EXPECT_TRUE(p.m.files.moveByUser(u"C:\\Apps", u"C:\\Apps-aside"));
}

// What the log names inside the product folder is reached through handles: a link found on the
// way is never followed, and a script runs only while it, and every folder on the way to it, is
// held and writable by nobody else.
TEST(PlantedLog, InsideTheProductFolderNoLinkIsFollowedAndOnlyTrustedScriptsRun) {
    PlantedLog p;
    p.m.files.addFolder(u"C:\\Victim");
    p.m.files.addFile(u"C:\\Victim\\v.txt");
    p.m.files.addFile(u"C:\\Victim\\u.bat");
    p.m.files.addLink(kFolder + u"\\driver", u"C:\\Victim");
    p.m.files.addFile(kFolder + u"\\open.bat");
    p.m.security.openToUsers(kFolder + u"\\open.bat");
    p.m.files.addFile(kFolder + u"\\ok.bat");
    p.add(LOG_FILE, kFolder + u"\\driver\\v.txt");
    p.add(LOG_DRIVER_SCRIPT, kFolder + u"\\driver\\u.bat");
    p.add(LOG_DRIVER_SCRIPT, kFolder + u"\\open.bat");
    p.add(LOG_DRIVER_SCRIPT, kFolder + u"\\ok.bat");
    p.uninstall();
    EXPECT_TRUE(p.m.files.hasFile(u"C:\\Victim\\v.txt"));
    EXPECT_FALSE(started(p.m, u"C:\\Victim\\u.bat"));
    EXPECT_FALSE(started(p.m, kFolder + u"\\driver\\u.bat"));
    EXPECT_FALSE(started(p.m, kFolder + u"\\open.bat"));
    EXPECT_TRUE(started(p.m, kFolder + u"\\ok.bat"));
}

TEST(PlantedLog, AHeaderThatIsNotBelievedRemovesNoFoldersItNames) {
    PlantedLog p;
    p.m.files.addFolder(u"C:\\Other");
    p.m.files.addFolder(u"C:\\Other\\Co");
    p.m.files.addFolder(u"C:\\Other\\Co\\Pr");
    p.m.files.addFolder(u"C:\\Other\\Co\\Pr\\empty");
    copyText(p.log.root, u"C:\\Other");
    MachineSnapshot before = p.m.snapshot();
    p.uninstall();
    p.m.files.removeTree(kLog);  // the test's own plant
    MachineSnapshot after = p.m.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}

// The header names the folder the log lies in, but others can write that folder (or the log):
// anyone could have put the log there, so nothing it says is done.
TEST(PlantedLog, ALogOthersCouldHaveWrittenIsNotActedOnAtAll) {
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        PlantedLog p;
        p.m.files.addFile(kFolder + u"\\own.dll");
        p.m.files.addFile(u"C:\\Windows\\System32\\victim.dll");
        p.m.files.addFolder(kFolder + u"\\empty");
        p.m.registry.addKey(RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5");
        p.add(LOG_FILE, kFolder + u"\\own.dll");
        p.add(LOG_SYSTEM_FILE, u"C:\\Windows\\System32\\victim.dll");
        appendRegistryKey(p.log, 0x80000002u, u"SOFTWARE\\KorvelServerV5");
        ASSERT_TRUE(saveLog(p.log, kLog.c_str()));
        if (which == 0) p.m.security.openToUsers(u"C:\\Apps");
        if (which == 1) p.m.security.openToUsers(kLog);
        if (which == 2) {
            // The log is a link to a log elsewhere.
            p.m.files.addFolder(u"C:\\Elsewhere");
            p.m.files.addFile(u"C:\\Elsewhere\\uninstall.log", p.m.files.contents(kLog));
            p.m.files.removeTree(kLog);
            p.m.files.addLink(kLog, u"C:\\Elsewhere\\uninstall.log", false);
        }
        MachineSnapshot before = p.m.snapshot();
        runUninstallJob(kLog);
        MachineSnapshot after = p.m.snapshot();
        EXPECT_TRUE(after == before) << describeDifference(before, after);
    }
}

// The installer finds a log through the product key, in a folder others can write: it is no
// earlier installation it knows of. Nothing the log names goes, nothing is announced, and the
// installation itself goes ahead.
TEST(PlantedLog, TheInstallerTakesNoNoticeOfALogItCannotBelieve) {
    InstallHarness h;
    auto& m = h.machine;
    m.files.addFolder(u"C:\\Apps");
    m.files.addFolder(u"C:\\Apps\\Co");
    m.files.addFolder(kFolder);
    m.files.addFile(kFolder + u"\\own.dll", {1});
    m.files.addFile(u"C:\\Windows\\System32\\victim.dll", {2});
    UninstallLog log;
    copyText(log.root, u"C:\\Apps");
    copyText(log.company, u"Co");
    copyText(log.product, u"Pr");
    appendText(log, LOG_FILE, kFolder + u"\\own.dll");
    appendText(log, LOG_SYSTEM_FILE, u"C:\\Windows\\System32\\victim.dll");
    ASSERT_TRUE(saveLog(log, kLog.c_str()));
    m.security.openToUsers(u"C:\\Apps");
    m.registry.addKey(RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5");
    m.registry.putValue(RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5", u"MainServicePath",
                        fake::FakeRegistry::stringValue(kFolder + u"\\PrService.exe"));
    ASSERT_TRUE(h.install());
    EXPECT_EQ(h.window.count(ST_PREVIOUS_VERSION), 0);
    EXPECT_TRUE(m.files.hasFile(kFolder + u"\\own.dll"));
    EXPECT_TRUE(m.files.hasFile(u"C:\\Windows\\System32\\victim.dll"));
    EXPECT_TRUE(m.files.hasFile(kLog));
    EXPECT_TRUE(m.files.hasFile(kProductFolder + u"\\uninstall.log"));
}
