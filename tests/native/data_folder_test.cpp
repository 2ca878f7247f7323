// The shared data folder Public Documents\Vantrel can be written by every user, and the elevated
// installer empties and refills it. A user who swaps a folder in it for a link at the right
// moment must not get the installer to delete or write what lies behind the link.
#include <gtest/gtest.h>

#include "tests/support/InstallHarness.h"

using namespace testpkg;

namespace {

const std::u16string kData = u"C:\\Users\\Public\\Documents\\Vantrel";
const std::u16string kSystem = u"C:\\Windows\\System32";

// A traced call of one of the operations, on exactly this path (both spellings of a listing,
// removal and creation: by path, and below a base folder).
bool isCall(const std::string& line, std::initializer_list<const char*> operations,
            const std::u16string& path) {
    for (const char* op : operations) {
        if (line == op + (" " + utf16ToUtf8(path))) return true;
    }
    return false;
}

// Runs `attack` once, just before the call that follows the call `ready` picks out.
struct Attacker {
    std::function<bool(const std::string& line)> ready;
    std::function<void()> attack;
    bool done = false;
    bool armed = false;

    void install() {
        fake::faults().onCall = [this](int, const std::string&) {
            if (done) return;
            if (armed) {
                attack();
                done = true;
                return;
            }
            armed = ready(fake::faults().trace().back());
        };
    }
};

}  // namespace

TEST(DataFolder, AFolderSwappedForALinkWhileItIsEmptiedLeadsNowhere) {
    for (bool uninstalling : {false, true}) {
        SCOPED_TRACE(uninstalling ? "uninstall" : "install");
        InstallHarness h;
        if (uninstalling) {
            ASSERT_TRUE(h.install());
        }
        h.machine.files.addFolder(kData);
        h.machine.files.addFolder(kData + u"\\sub");
        h.machine.files.addFile(kData + u"\\sub\\x.dll", {1});
        h.machine.files.addFile(kSystem + u"\\x.dll", {2});
        // The user waits until the installer has looked into Vantrel\sub, then makes it a
        // junction to the system folder, where a file of the same name lies.
        Attacker a;
        a.ready = [&](const std::string& line) {
            return isCall(line, {"listFolder", "listBelow"}, kData + u"\\sub");
        };
        a.attack = [&] {
            h.machine.files.removeTree(kData + u"\\sub");
            h.machine.files.addLink(kData + u"\\sub", kSystem);
        };
        fake::faults().clear();
        a.install();
        if (uninstalling) {
            ASSERT_TRUE(h.uninstall());
        } else {
            ASSERT_TRUE(h.install());
        }
        ASSERT_TRUE(a.done);
        EXPECT_TRUE(h.machine.files.hasFile(kSystem + u"\\x.dll"));
        EXPECT_EQ(h.machine.files.contents(kSystem + u"\\x.dll"), std::vector<std::uint8_t>{2});
    }
}

TEST(DataFolder, ALinkSwappedInBeforeThePanelFileIsWrittenIsNotWrittenThrough) {
    InstallHarness h;
    Attacker a;
    a.ready = [&](const std::string& line) {
        return isCall(line, {"createFolder", "createFolderBelow"}, kData);
    };
    a.attack = [&] {
        h.machine.files.removeTree(kData);
        h.machine.files.addLink(kData, kSystem);
    };
    h.machine.files.addFolder(kData);  // an earlier installation's data folder
    a.install();
    ASSERT_TRUE(h.install());
    ASSERT_TRUE(a.done);
    EXPECT_FALSE(h.machine.files.hasFile(kSystem + u"\\PanelConfig.ini"));
}

TEST(DataFolder, LinksPlantedBeforehandAreRemovedThemselvesAndNeverFollowed) {
    InstallHarness h;
    h.machine.files.addFile(kSystem + u"\\config.sys", {7});
    h.machine.files.addFolder(u"C:\\Keep");
    h.machine.files.addFile(u"C:\\Keep\\a.txt", {8});
    h.machine.files.addFolder(kData);
    h.machine.files.addLink(kData + u"\\config.lnk", kSystem + u"\\config.sys", false);
    h.machine.files.addLink(kData + u"\\keep", u"C:\\Keep");
    ASSERT_TRUE(h.install());
    EXPECT_EQ(h.machine.files.contents(kSystem + u"\\config.sys"), std::vector<std::uint8_t>{7});
    EXPECT_EQ(h.machine.files.contents(u"C:\\Keep\\a.txt"), std::vector<std::uint8_t>{8});
    EXPECT_FALSE(h.machine.files.hasLink(kData + u"\\config.lnk"));
    EXPECT_FALSE(h.machine.files.hasLink(kData + u"\\keep"));
    EXPECT_TRUE(h.machine.files.hasFile(kData + u"\\PanelConfig.ini"));

    // The data folder itself a link: only the link goes, and a real folder takes its place.
    h.machine.files.removeTree(kData);
    h.machine.files.addLink(kData, u"C:\\Keep");
    ASSERT_TRUE(h.install());
    EXPECT_EQ(h.machine.files.contents(u"C:\\Keep\\a.txt"), std::vector<std::uint8_t>{8});
    EXPECT_FALSE(h.machine.files.hasFile(u"C:\\Keep\\PanelConfig.ini"));
    EXPECT_TRUE(h.machine.files.hasFolder(kData));
    EXPECT_TRUE(h.machine.files.hasFile(kData + u"\\PanelConfig.ini"));
}

// A subfolder named ".x" that a user made was never entered nor removed, so the data folder
// stayed, and stayed theirs; a second name (hard link) of a system file planted as
// PanelConfig.ini then had the elevated installer write that file.
TEST(DataFolder, ADotFolderOfTheUsersKeepsNothingAndAHardLinkIsNeverWrittenThrough) {
    for (bool uninstalling : {false, true}) {
        SCOPED_TRACE(uninstalling ? "uninstall" : "install");
        InstallHarness h;
        if (uninstalling) {
            ASSERT_TRUE(h.install());
        }
        h.machine.files.addFolder(kData);
        h.machine.files.addFolder(kData + u"\\.keep");
        h.machine.files.addFile(kData + u"\\.keep\\mine.txt", {1});
        h.machine.files.addFile(kSystem + u"\\drivers.ini", {'s', 'y', 's'});
        h.machine.files.addHardLink(kData + u"\\PanelConfig.ini", kSystem + u"\\drivers.ini");
        if (uninstalling) {
            ASSERT_TRUE(h.uninstall());
            EXPECT_FALSE(h.machine.files.hasFolder(kData));
        } else {
            ASSERT_TRUE(h.install());
            EXPECT_FALSE(h.machine.files.hasFolder(kData + u"\\.keep"));
            EXPECT_EQ(h.machine.files.linkCount(kData + u"\\PanelConfig.ini"), 1u);
        }
        EXPECT_EQ(h.machine.files.contents(kSystem + u"\\drivers.ini"),
                  (std::vector<std::uint8_t>{'s', 'y', 's'}));
    }
}

// Planted just before the panel file is written (after the folder was emptied), a second name
// of another file is refused rather than written through.
TEST(DataFolder, AHardLinkPlantedAfterTheEmptyingIsRefused) {
    InstallHarness h;
    h.machine.files.addFile(kSystem + u"\\drivers.ini", {'s', 'y', 's'});
    Attacker a;
    a.ready = [](const std::string& line) { return isCall(line, {"createFolderBelow"}, kData); };
    a.attack = [&] {
        h.machine.files.addHardLink(kData + u"\\PanelConfig.ini", kSystem + u"\\drivers.ini");
    };
    a.install();
    ASSERT_TRUE(h.install());
    ASSERT_TRUE(a.done);
    EXPECT_EQ(h.machine.files.contents(kSystem + u"\\drivers.ini"),
              (std::vector<std::uint8_t>{'s', 'y', 's'}));
}
