// Where the installation may go. The service the installer registers runs as LocalSystem from
// the installation folder, and the uninstaller runs elevated from there: nobody else may be able
// to write that folder, nor rename or replace it or any folder above it, then or later.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/InstallHarness.h"

using namespace testpkg;

namespace {

// A root like C:\ itself: every user may make folders in it, none may rename or remove it.
const std::u16string kSharedRoot = u"C:\\Tools";
const std::u16string kCompany = kSharedRoot + u"\\Brenmark";
const std::u16string kProduct = kCompany + u"\\KorvelServerV6";

struct RootInstall : InstallHarness {
    explicit RootInstall(const std::u16string& root) {
        copyText(parameter.installRoot, root);
        fake::FakeProcesses::Behaviour panel;
        panel.runsForMs = fake::FakeProcesses::kHangs;
        panel.windows = 1;
        machine.processes.program(root + u"\\Brenmark\\KorvelServerV6\\KorvelPanel.exe", panel);
    }
    bool writableOnlyByTrusted(const std::u16string& path) {
        return machine.security.isWritableOnlyByTrusted(path.c_str());
    }
    // The refusal names the folder on its first line, why on the next.
    std::u16string refusedFolder() const {
        if (window.messages.empty()) return u"<none>";
        const std::u16string& text = window.messages[0].text;
        return text.substr(0, text.find(u"\r\n"));
    }
};

struct SharedRootInstall : RootInstall {
    SharedRootInstall() : RootInstall(kSharedRoot) {
        machine.files.addFolder(kSharedRoot);
        machine.security.letUsersAdd(kSharedRoot);
    }
};

}  // namespace

TEST(InstallFolder, UnderARootUsersMayAddToTheFoldersGetAProtectedList) {
    SharedRootInstall h;
    ASSERT_TRUE(h.install());
    EXPECT_TRUE(h.machine.security.hasProtectedList(kCompany));
    EXPECT_TRUE(h.machine.security.hasProtectedList(kProduct));
    EXPECT_TRUE(h.writableOnlyByTrusted(kProduct + u"\\VantrelService.exe"));
    EXPECT_TRUE(h.writableOnlyByTrusted(kProduct + u"\\driver\\HID\\x86\\hidkmdf.sys"));
    EXPECT_TRUE(h.writableOnlyByTrusted(kProduct + u"\\uninstall.log"));
    // And the next installer believes the log it finds there.
    ASSERT_TRUE(h.uninstall(kProduct + u"\\uninstall.log"));
    EXPECT_FALSE(h.machine.files.hasFolder(kCompany));
    EXPECT_FALSE(h.machine.services.has(u"VantrelService"));
}

TEST(InstallFolder, UnderAProtectedRootTheFoldersInheritAsBefore) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    EXPECT_FALSE(h.machine.security.hasProtectedList(u"C:\\Program Files\\Brenmark"));
    EXPECT_FALSE(h.machine.security.hasProtectedList(kProductFolder));
}

// The folder chooser gives a drive's root as "C:" (and script.ini may say so). As a path of its
// own, "C:" is the current folder of drive C: judged in its place, that folder's protection
// would let the installation's folders inherit the root's "users may change".
TEST(InstallFolder, ADriveRootGivenAsDriveAndColonIsJudgedAsTheRootItself) {
    fake::FakeFileSystem::currentFolder = u"C:\\Windows\\System32";
    RootInstall h(u"C:");
    h.machine.security.letUsersAdd(u"C:\\");
    h.machine.files.setAccess(u"C:\\Windows", fake::Access::OnlyTrusted);  // a list of its own
    ASSERT_TRUE(h.install());
    EXPECT_TRUE(h.machine.security.hasProtectedList(u"C:\\Brenmark"));
    EXPECT_TRUE(h.machine.security.hasProtectedList(u"C:\\Brenmark\\KorvelServerV6"));
    EXPECT_TRUE(h.writableOnlyByTrusted(u"C:\\Brenmark\\KorvelServerV6\\VantrelService.exe"));
    EXPECT_TRUE(h.writableOnlyByTrusted(u"C:\\Brenmark\\KorvelServerV6\\Uninstall.exe"));
    EXPECT_FALSE(h.machine.files.hasFolder(u"C:\\Windows\\System32\\Brenmark"));
}

// A root others could rename or replace (C:\Tools made by an administrator inherits "Users:
// Modify" from C:\), or one below such a folder, or a link: once the installer is done they
// could put a tree of their own in its place, and the LocalSystem service would start their
// program. So nothing is installed there at all; neither where the current folder or another
// machine decides the place.
TEST(InstallFolder, ARootOthersCanChangeOrThatIsNoFullPathIsRefusedBeforeAnythingChanges) {
    struct Case {
        const char* what;
        std::u16string root;
        std::u16string refused;
        std::function<void(FakeMachine&)> prepare;
    };
    const std::vector<Case> cases = {
        {"root others may change", u"C:\\Tools", u"C:\\Tools",
         [](FakeMachine& m) {
             m.files.addFolder(u"C:\\Tools");
             m.security.openToUsers(u"C:\\Tools");
         }},
        {"a folder above the root others may change", u"C:\\Shared\\Apps", u"C:\\Shared",
         [](FakeMachine& m) {
             m.files.addFolder(u"C:\\Shared\\Apps");
             m.security.openToUsers(u"C:\\Shared");
             m.files.setAccess(u"C:\\Shared\\Apps", fake::Access::OnlyTrusted);
         }},
        {"root that is a link", u"C:\\Tools", u"C:\\Tools",
         [](FakeMachine& m) { m.files.addLink(u"C:\\Tools", u"C:\\Program Files"); }},
        {"a link above the root", u"C:\\Tools\\Apps", u"C:\\Tools",
         [](FakeMachine& m) {
             m.files.addFolder(u"C:\\Elsewhere\\Apps");
             m.files.addLink(u"C:\\Tools", u"C:\\Elsewhere");
         }},
        {"root that does not exist", u"C:\\Nowhere\\Apps", u"C:\\Nowhere", [](FakeMachine&) {}},
        {"drive-relative root", u"C:Tools", u"C:Tools", [](FakeMachine&) {}},
        {"relative root", u"Tools", u"Tools", [](FakeMachine&) {}},
        {"root-relative root", u"\\Tools", u"\\Tools", [](FakeMachine&) {}},
        {"network root", u"\\\\server\\share", u"\\\\server\\share", [](FakeMachine&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RootInstall h(c.root);
        c.prepare(h.machine);
        h.machine.registry.addKey(platform::RegistryRoot::LocalMachine,
                                  u"SOFTWARE\\KorvelServerV5");
        h.machine.services.add(u"VantrelService", platform::kServiceRunning);
        MachineSnapshot before = h.machine.snapshot();
        EXPECT_FALSE(h.install());
        MachineSnapshot after = h.machine.snapshot();
        EXPECT_TRUE(after == before) << describeDifference(before, after);
        ASSERT_EQ(h.window.codes(), (std::vector<std::uint32_t>{ST_FILE_ERROR, ST_WORKER_DONE}));
        EXPECT_EQ(h.refusedFolder(), c.refused);
        // Why, in the installation's language.
        EXPECT_NE(h.window.messages[0].text.find(u"\r\n"), std::u16string::npos);
        EXPECT_EQ(h.machine.files.heldCount(), 0u);
    }
}

// The folders from the drive's root down are kept from being renamed or replaced while the
// installation works in them, and let go when it ends, completed or rolled back.
TEST(InstallFolder, TheFoldersStayHeldWhileTheWorkGoesOnAndAreLetGoAfter) {
    for (bool cancel : {false, true}) {
        SCOPED_TRACE(cancel);
        InstallHarness h;
        int files = 0;
        bool movedDuringWork = true, allHeld = false;
        fake::faults().onCall = [&](int, const std::string& operation) {
            if (operation != "writeFile" || ++files != 10) return;
            allHeld = h.machine.files.isHeld(u"C:\\") &&
                      h.machine.files.isHeld(u"C:\\Program Files") &&
                      h.machine.files.isHeld(u"C:\\Program Files\\Brenmark") &&
                      h.machine.files.isHeld(kProductFolder);
            movedDuringWork = h.machine.files.moveByUser(u"C:\\Program Files\\Brenmark",
                                                         u"C:\\Program Files\\Aside");
            if (cancel) h.package.config.running = false;
        };
        EXPECT_EQ(h.install(), !cancel);
        EXPECT_TRUE(allHeld);
        EXPECT_FALSE(movedDuringWork);
        EXPECT_EQ(h.machine.files.heldCount(), 0u);
        if (!cancel) {
            EXPECT_TRUE(h.machine.files.moveByUser(u"C:\\Program Files\\Brenmark",
                                                   u"C:\\Program Files\\Aside"));
        } else {
            EXPECT_FALSE(h.machine.files.hasFolder(u"C:\\Program Files\\Brenmark"));
        }
    }
}

// A folder that already stands under the shared root may hold anything a user put there (a DLL
// beside the service program, a junction in place of a subfolder): the installation is refused
// before anything on the machine changes.
TEST(InstallFolder, AnExistingFolderOthersCanWriteIsRefusedBeforeAnythingChanges) {
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        SharedRootInstall h;
        h.machine.registry.addKey(platform::RegistryRoot::LocalMachine,
                                  u"SOFTWARE\\KorvelServerV5");
        h.machine.registry.putValue(platform::RegistryRoot::LocalMachine,
                                    u"SOFTWARE\\KorvelServerV5", u"MainServiceName",
                                    fake::FakeRegistry::stringValue(u"VantrelService"));
        h.machine.services.add(u"VantrelService", platform::kServiceRunning);
        std::u16string refused = kCompany;
        if (which == 0) h.machine.files.addFolder(kCompany);
        if (which == 1) {
            h.machine.files.addFolder(kCompany);
            h.machine.files.addFolder(kProduct);
            h.machine.files.setAccess(kCompany, fake::Access::OnlyTrusted);
            h.machine.security.openToUsers(kProduct);
            refused = kProduct;
        }
        if (which == 2) h.machine.files.addLink(kCompany, u"C:\\Windows");
        MachineSnapshot before = h.machine.snapshot();
        EXPECT_FALSE(h.install());
        MachineSnapshot after = h.machine.snapshot();
        EXPECT_TRUE(after == before) << describeDifference(before, after);
        ASSERT_EQ(h.window.codes(), (std::vector<std::uint32_t>{ST_FILE_ERROR, ST_WORKER_DONE}));
        EXPECT_EQ(h.refusedFolder(), refused);
        EXPECT_FALSE(h.machine.files.hasFolder(u"C:\\Windows\\KorvelServerV6"));
    }
}

// Under a root only the system's own can change, a company folder someone opened to everyone
// could have the product folder in it renamed and replaced: refused, and left as it was.
TEST(InstallFolder, UnderAProtectedRootACompanyFolderOthersCanChangeIsRefusedAndKept) {
    RootInstall h(u"C:\\Program Files");
    h.machine.files.addFolder(u"C:\\Program Files\\Brenmark");
    h.machine.security.openToUsers(u"C:\\Program Files\\Brenmark");
    MachineSnapshot before = h.machine.snapshot();
    EXPECT_FALSE(h.install());
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
    EXPECT_EQ(h.refusedFolder(), u"C:\\Program Files\\Brenmark");
}

// Between the check and the creation a user makes the company folder first: the installation
// notices and rolls back rather than install into a folder they own.
TEST(InstallFolder, AFolderMadeByAUserBetweenCheckAndCreationIsNotUsed) {
    SharedRootInstall h;
    MachineSnapshot before = h.machine.snapshot();
    bool planted = false;
    fake::faults().onCall = [&](int, const std::string& operation) {
        if (!planted && operation == "createProtectedFolder") {
            h.machine.files.addFolder(kCompany);
            planted = true;
        }
    };
    EXPECT_FALSE(h.install());
    ASSERT_TRUE(planted);
    EXPECT_EQ(h.window.count(ST_FILE_ERROR), 1);
    h.machine.files.removeTree(kCompany);  // the user's own folder
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}

// A company or product folder that stands there already and that users may add files to (or
// write) would let them put a DLL beside the LocalSystem service's program, or a program of
// their own where the next version of it will land: refused whatever the root, before anything
// changes. Under a root users may add to, such a folder cannot be renamed by them, so only the
// judgement of what may be written in it tells.
TEST(InstallFolder, AnExistingFolderUsersMayAddToIsRefusedUnderEveryRoot) {
    for (bool sharedRoot : {true, false}) {
        for (bool productFolder : {false, true}) {
            SCOPED_TRACE(std::string(sharedRoot ? "shared root" : "protected root") +
                         (productFolder ? ", product folder" : ", company folder"));
            const std::u16string root = sharedRoot ? kSharedRoot : u"C:\\Program Files";
            RootInstall h(root);
            if (sharedRoot) {
                h.machine.files.addFolder(root);
                h.machine.security.letUsersAdd(root);
            }
            const std::u16string company = root + u"\\Brenmark";
            const std::u16string product = company + u"\\KorvelServerV6";
            h.machine.files.addFolder(company);
            h.machine.files.setAccess(company, fake::Access::OnlyTrusted);
            if (productFolder) h.machine.files.addFolder(product);
            const std::u16string& open = productFolder ? product : company;
            h.machine.security.letUsersAdd(open);
            MachineSnapshot before = h.machine.snapshot();
            EXPECT_FALSE(h.install());
            MachineSnapshot after = h.machine.snapshot();
            EXPECT_TRUE(after == before) << describeDifference(before, after);
            EXPECT_EQ(h.refusedFolder(), open);
        }
    }
}

// A file that stands in the product folder before the installation writes its own there (put
// there by a user while the folder was theirs, or a second name of another file) is not this
// installation's: it is replaced, not written into, so that it keeps neither its owner and
// access list nor its link to another file.
TEST(InstallFolder, AFileThatIsNotTheInstallationsIsReplacedNotOverwritten) {
    InstallHarness h;
    const std::u16string service = kProductFolder + u"\\VantrelService.exe";
    const std::u16string elsewhere = u"C:\\Users\\Public\\Documents\\kept.txt";
    h.machine.files.addFolder(u"C:\\Program Files\\Brenmark");
    h.machine.files.addFolder(kProductFolder);
    h.machine.files.addFile(service, bytesOf("planted"));
    h.machine.security.openToUsers(service);
    h.machine.files.addFile(elsewhere, bytesOf("someone's own"));
    h.machine.files.addHardLink(kProductFolder + u"\\KorvelPanel.exe", elsewhere);
    ASSERT_TRUE(h.install()) << h.firstError();
    EXPECT_TRUE(h.machine.security.isWritableOnlyByTrusted(service.c_str()));
    EXPECT_NE(h.machine.files.contents(service), bytesOf("planted"));
    EXPECT_EQ(h.machine.files.contents(elsewhere), bytesOf("someone's own"));
    EXPECT_EQ(h.machine.files.linkCount(kProductFolder + u"\\KorvelPanel.exe"), 1u);
}
