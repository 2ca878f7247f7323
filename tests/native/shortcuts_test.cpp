#include <gtest/gtest.h>

#include "engine/Shortcuts.h"
#include "tests/native/EngineFakes.h"

namespace {
const std::u16string kPrograms = u"C:\\Users\\admin\\Start Menu\\Programs";
const std::u16string kTarget = u"C:\\Program Files\\Korvel\\Panel.exe";
}  // namespace

TEST(CreateShortcut, WritesTheLinkFileWithItsTarget) {
    EngineFakes m;
    std::u16string link = kPrograms + u"\\Korvel Panel";
    EXPECT_TRUE(createShortcut(kTarget.c_str(), link.c_str()));
    EXPECT_TRUE(m.files.hasFile(link + u".lnk"));
    EXPECT_FALSE(m.files.hasFile(link));
    std::u16string target;
    int show = 0;
    ASSERT_TRUE(m.shell.loadLink((link + u".lnk").c_str(), target, show));
    EXPECT_EQ(target, kTarget);
    EXPECT_EQ(show, 5);
    EXPECT_EQ(m.shell.comDepth(), 0);
    EXPECT_EQ(m.shell.savesWithoutCom(), 0);
}

TEST(CreateShortcut, SecondShortcutOverwritesTheFirst) {
    EngineFakes m;
    std::u16string link = kPrograms + u"\\Panel";
    EXPECT_TRUE(createShortcut(u"C:\\Old\\Panel.exe", link.c_str()));
    EXPECT_TRUE(createShortcut(kTarget.c_str(), link.c_str()));
    std::u16string target;
    int show = 0;
    ASSERT_TRUE(m.shell.loadLink((link + u".lnk").c_str(), target, show));
    EXPECT_EQ(target, kTarget);
}

TEST(CreateShortcut, FailedSaveIsAFailure) {
    EngineFakes m;
    auto before = m.files.snapshot();
    std::u16string badName = kPrograms + u"\\Panel: Settings?";
    EXPECT_FALSE(createShortcut(kTarget.c_str(), badName.c_str()));
    std::u16string noFolder = kPrograms + u"\\Korvel\\Panel";
    EXPECT_FALSE(createShortcut(kTarget.c_str(), noFolder.c_str()));
    EXPECT_EQ(m.files.snapshot().size(), before.size());
    EXPECT_EQ(m.shell.comDepth(), 0);
}

TEST(CreateShortcut, ComAndLinkObjectFailures) {
    std::u16string link = kPrograms + u"\\Panel";
    for (const char* failing : {"coInitialize", "createShellLink", "queryPersistFile"}) {
        EngineFakes m;
        fake::faults().failOperation(failing);
        EXPECT_FALSE(createShortcut(kTarget.c_str(), link.c_str())) << failing;
        EXPECT_FALSE(m.files.hasFile(link + u".lnk")) << failing;
        EXPECT_EQ(m.shell.comDepth(), 0) << failing;
        bool initialised = std::string(failing) != "coInitialize";
        EXPECT_EQ(EngineFakes::calls("coUninitialize"), initialised ? 1 : 0) << failing;
        EXPECT_EQ(EngineFakes::calls("createShellLink"), initialised ? 1 : 0) << failing;
    }
}

TEST(CreateShortcut, LinkPathThatCannotTakeItsExtensionIsRefused) {
    EngineFakes m;
    std::u16string fits = u"C:\\" + std::u16string(252, u'l');  // 255 units + ".lnk" = 259
    m.files.addFolder(u"C:\\");
    EXPECT_TRUE(createShortcut(kTarget.c_str(), fits.c_str()));
    EXPECT_TRUE(m.files.hasFile(fits + u".lnk"));
    fake::faults().clear();
    std::u16string tooLong = fits + u"l";
    EXPECT_FALSE(createShortcut(kTarget.c_str(), tooLong.c_str()));
    std::u16string longTarget = u"C:\\" + std::u16string(257, u't');
    EXPECT_FALSE(createShortcut(longTarget.c_str(), (kPrograms + u"\\P").c_str()));
    EXPECT_EQ(fake::faults().calls(), 0);
}
