// An installation folder chosen under a root that every user can write (C:\Tools, say): the
// service the installer registers runs as LocalSystem from there, so nobody else may be able to
// write the folders the installation lives in.
#include <gtest/gtest.h>

#include "tests/support/InstallHarness.h"

using namespace testpkg;

namespace {

const std::u16string kOpenRoot = u"C:\\Tools";
const std::u16string kCompany = kOpenRoot + u"\\Brenmark";
const std::u16string kProduct = kCompany + u"\\KorvelServerV6";

struct OpenRootInstall : InstallHarness {
    OpenRootInstall() {
        machine.files.addFolder(kOpenRoot);
        machine.security.openToUsers(kOpenRoot);
        copyText(parameter.installRoot, kOpenRoot);
        fake::FakeProcesses::Behaviour panel;
        panel.runsForMs = fake::FakeProcesses::kHangs;
        panel.windows = 1;
        machine.processes.program(kProduct + u"\\KorvelPanel.exe", panel);
    }
    bool writableOnlyByTrusted(const std::u16string& path) {
        return machine.security.isWritableOnlyByTrusted(path.c_str());
    }
};

}  // namespace

TEST(InstallFolder, UnderARootUsersCanWriteTheFoldersGetAProtectedList) {
    OpenRootInstall h;
    ASSERT_TRUE(h.install());
    EXPECT_TRUE(h.machine.security.hasProtectedList(kCompany));
    EXPECT_TRUE(h.machine.security.hasProtectedList(kProduct));
    EXPECT_TRUE(h.writableOnlyByTrusted(kProduct + u"\\VantrelService.exe"));
    EXPECT_TRUE(h.writableOnlyByTrusted(kProduct + u"\\driver\\HID\\x86\\hidkmdf.sys"));
    EXPECT_TRUE(h.writableOnlyByTrusted(kProduct + u"\\uninstall.log"));
    // And the next installer believes the log it finds there.
    MachineSnapshot installed = h.machine.snapshot();
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

// A folder that already stands under the open root may hold anything a user put there (a DLL
// beside the service program, a junction in place of a subfolder): the installation is refused
// before anything on the machine changes.
TEST(InstallFolder, AnExistingFolderOthersCanWriteIsRefusedBeforeAnythingChanges) {
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        OpenRootInstall h;
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
        EXPECT_EQ(h.window.messages[0].text, refused);
        EXPECT_FALSE(h.machine.files.hasFolder(u"C:\\Windows\\KorvelServerV6"));
    }
}

// Between the check and the creation a user makes the company folder first: the installation
// notices and rolls back rather than install into a folder they own.
TEST(InstallFolder, AFolderMadeByAUserBetweenCheckAndCreationIsNotUsed) {
    OpenRootInstall h;
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
