#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/PackageFixture.h"
#include "tests/support/ShippedPackage.h"

using namespace testpkg;

namespace {

std::u16string scriptedName(const NamedFile* n) {
    return std::u16string(viewOf(n->name));
}

}  // namespace

TEST(PackageLoad, ShippedShapeGivesTheTreeItDescribes) {
    LoadedConfig c;
    ASSERT_TRUE(c.load(shippedPackage()));
    PackageRoot& root = c.tree();
    EXPECT_EQ(viewOf(root.name), u"KorvelServerV6");
    EXPECT_EQ(root.fileCount, 5u);
    EXPECT_EQ(root.dirCount, 1u);
    auto all = allFilePaths(root);
    ASSERT_EQ(all.size(), 52u);
    EXPECT_EQ(all[0], u"driver\\USB\\V6PDrv\\i386\\devcon.exe");
    EXPECT_EQ(all[1], u"driver\\USB\\V6PDrv\\i386\\WdfCoInstaller01009.dll");
    EXPECT_EQ(all.back(), u"KorvelPanel.exe");
    // Root files sit at the tail in reverse entry order, directories counted 14 in all.
    EXPECT_EQ(all[all.size() - 5], u"License.txt");
    int dirs = 0;
    forEachDirectory(root, [&dirs](DirNode&) { ++dirs; });
    EXPECT_EQ(dirs, 14);

    FileNode* sys = findPackageFile(root, u"driver\\HID\\amd64\\hidkmdf.sys");
    ASSERT_NE(sys, nullptr);
    EXPECT_EQ(viewOf(sys->name), u"hidkmdf.sys");
    EXPECT_EQ(viewOf(sys->parent->name), u"driver\\HID\\amd64");
    EXPECT_EQ(findPackageFile(root, u"hidkmdf.sys"), nullptr);

    FileNode* licence = findPackageFile(root, u"License.txt");
    ASSERT_NE(licence, nullptr);
    EXPECT_EQ(licence->parent, nullptr);
    ASSERT_GE(licence->size, 2u);
    EXPECT_EQ(licence->contents[0], 0xFF);
    EXPECT_EQ(licence->contents[1], 0xFE);
    EXPECT_EQ(findPackageFile(root, u".\\License.txt"), licence);
    EXPECT_EQ(findPackageFile(root, u"\\License.txt"), licence);
    EXPECT_EQ(findPackageFile(root, u"license.txt"), nullptr);
    EXPECT_EQ(findPackageFile(root, u"driver\\usb\\V6PDrv.inf"), nullptr);
}

// The package is not copied: every file is read from where its bytes lie in the package, each
// file's bytes right after its name, and the files' areas never overlap.
TEST(PackageLoad, EveryFileIsReadFromThePackageItselfNotACopy) {
    LoadedConfig c;
    ASSERT_TRUE(c.load(shippedPackage()));
    const std::uint8_t* begin = c.bytes.data();
    const std::uint8_t* end = begin + c.bytes.size();
    std::vector<std::pair<const std::uint8_t*, const std::uint8_t*>> areas;
    for (const FileNode* f = c.tree().allFiles; f; f = f->nextInAll) {
        if (f->size == 0) {
            EXPECT_EQ(f->contents, nullptr);
            continue;
        }
        ASSERT_GE(f->contents, begin);
        ASSERT_LE(f->contents + f->size, end);
        // The size field, the name and its terminator come just before the bytes.
        std::size_t nameBytes = 2 * (viewOf(f->name).size() + 1);
        EXPECT_EQ(readU32(f->contents - nameBytes - 4), f->size);
        areas.emplace_back(f->contents, f->contents + f->size);
    }
    std::sort(areas.begin(), areas.end());
    for (std::size_t i = 1; i < areas.size(); ++i) EXPECT_LE(areas[i - 1].second, areas[i].first);
    EXPECT_EQ(areas.size(), 52u);
}

TEST(PackageLoad, ShippedScriptFillsEveryListInReverseRecordOrder) {
    LoadedConfig c;
    ASSERT_TRUE(c.load(shippedPackage()));
    InstallConfig& k = c.config;
    EXPECT_EQ(viewOf(k.company), u"Brenmark");
    EXPECT_EQ(viewOf(k.product), u"KorvelServerV6");
    EXPECT_EQ(pathOf(k.mainApp), u"VantrelService.exe");
    EXPECT_EQ(pathOf(k.extraProgram), u"VantrelService.exe");
    EXPECT_EQ(pathOf(k.uninstaller), u"Uninstall.exe");
    ASSERT_EQ(lengthOf(k.startMenuShortcuts), 2u);
    EXPECT_EQ(scriptedName(k.startMenuShortcuts), u"Uninstall");
    EXPECT_EQ(scriptedName(k.startMenuShortcuts->next), u"KorvelPanel");
    ASSERT_EQ(lengthOf(k.desktopShortcuts), 1u);
    EXPECT_EQ(pathOf(k.launchAfterInstall->file), u"KorvelPanel.exe");
    EXPECT_EQ(pathOf(k.runEntries->file), u"KorvelPanel.exe");
    ASSERT_EQ(lengthOf(k.services), 1u);
    EXPECT_EQ(viewOf(k.services->description),
              u"Servicing interface for Brenmark Korvel Multitouch Device");
    ASSERT_EQ(lengthOf(k.driverScriptSets), 2u);
    EXPECT_EQ(pathOf(k.driverScriptSets->installX64), u"driver\\InstallHIDDriverX64.bat");
    EXPECT_EQ(pathOf(k.driverScriptSets->next->uninstallX64), u"driver\\UninstallUsbDriverx64.bat");
    ASSERT_EQ(lengthOf(k.licenceFiles), 1u);
    EXPECT_EQ(k.licenceFiles->languageIndex, 0);
    EXPECT_EQ(lengthOf(k.desktopMenuEntries) + lengthOf(k.systemFiles), 0u);
}

TEST(PackageLoad, SizeEquationOffByOneRejectsAndClearsButKeepsTheNames) {
    LoadedConfig c;
    auto good = shippedPackage();
    ASSERT_TRUE(c.load(good));
    for (int delta : {-1, +1}) {
        auto bad = good;
        std::uint32_t total = readU32(bad.data()) + std::uint32_t(delta);
        for (int i = 0; i < 4; ++i) bad[std::size_t(i)] = std::uint8_t(total >> (8 * i));
        EXPECT_FALSE(c.load(bad));
        EXPECT_EQ(c.config.fileTree, nullptr);
        EXPECT_EQ(c.config.services, nullptr);
        EXPECT_EQ(c.config.mainApp, nullptr);
        EXPECT_EQ(viewOf(c.config.company), u"Brenmark");
        EXPECT_EQ(viewOf(c.config.product), u"KorvelServerV6");
        ASSERT_NE(lastPackageRejection, nullptr);
    }
}

TEST(PackageLoad, EmptyScriptBlockGivesATreeAndNoScriptFields) {
    LoadedConfig c;
    ASSERT_TRUE(c.load(package(Script{}, shippedFileBlock())));
    ASSERT_NE(c.config.fileTree, nullptr);
    EXPECT_EQ(c.config.mainApp, nullptr);
    EXPECT_EQ(c.config.driverScriptSets, nullptr);
    EXPECT_EQ(viewOf(c.config.company), u"");
}

TEST(PackageLoad, LoadingTwiceLeavesOneTreeAndNoDuplicates) {
    LoadedConfig c;
    auto blob = shippedPackage();
    ASSERT_TRUE(c.load(blob));
    ASSERT_TRUE(c.load(blob));
    EXPECT_EQ(allFilePaths(c.tree()).size(), 52u);
    EXPECT_EQ(lengthOf(c.config.startMenuShortcuts), 2u);
    EXPECT_EQ(lengthOf(c.config.driverScriptSets), 2u);
}

TEST(PackageLoad, ALoadClosesAHeldWorkerHandleAndClearsTheRunningFlag) {
    struct Handle : platform::ThreadHandle {
        bool* closed;
        explicit Handle(bool* c) : closed(c) {}
        ~Handle() override { *closed = true; }
        void wait() override {}
    };
    LoadedConfig c;
    bool closed = false;
    c.config.workerThread = std::make_unique<Handle>(&closed);
    c.config.running = true;
    ASSERT_TRUE(c.load(shippedPackage()));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(c.config.running);
}

TEST(PackageLoad, EveryTruncationOfAPackageIsRejectedWithoutReadingPastIt) {
    auto blob = shippedPackage();
    for (std::size_t size = 0; size < blob.size(); size += (size < 64 ? 1 : 97)) {
        LoadedConfig c;
        // A fresh copy of exactly `size` bytes, so a sanitizer sees any read beyond it.
        std::vector<std::uint8_t> cut(blob.begin(), blob.begin() + std::ptrdiff_t(size));
        EXPECT_FALSE(c.load(cut)) << size;
        EXPECT_EQ(c.config.fileTree, nullptr);
    }
}

TEST(PackageLoad, DamagedFileBlocksAreRejectedLikeASizeMismatch) {
    auto loadBlock = [](Bytes block) {
        LoadedConfig c;
        bool ok = c.load(package(Script{}, block));
        return ok || c.config.fileTree != nullptr;
    };
    auto longName = std::u16string(260, u'n');
    EXPECT_FALSE(loadBlock(fileBlock(u"root", {{longName, {}}}, {})));
    EXPECT_TRUE(loadBlock(fileBlock(u"root", {{std::u16string(259, u'n'), {}}}, {})));
    EXPECT_FALSE(loadBlock(fileBlock(longName, {}, {})));

    Bytes sizePastEnd = fileBlock(u"root", {{u"a", bytesOf("abc")}}, {});
    sizePastEnd.patch32(12 + 10, 1000);  // the file's size field, after the root name
    EXPECT_FALSE(loadBlock(sizePastEnd));

    Bytes dirOutside = fileBlock(u"root", {}, {dir(u"d", filesNamed({u"x"}))});
    dirOutside.patch32(12 + 10, 0xFFFFFFF0);  // the directory's content offset
    EXPECT_FALSE(loadBlock(dirOutside));

    Bytes tooManyFiles = fileBlock(u"root", {{u"a", {}}}, {});
    tooManyFiles.patch32(4, 0xFFFFFFFF);
    EXPECT_FALSE(loadBlock(tooManyFiles));
}

TEST(PackageLoad, ADirectoryPointingBackAtItselfCannotLoopForever) {
    Bytes block = fileBlock(u"root", {}, {dir(u"d", {}, {dir(u"d\\e", {})})});
    // The root's one directory entry is at 22 (after the 8-unit name "root"); its area holds
    // the entry of d\e. Point d\e's area back at d's entry.
    std::uint32_t areaOfD = readU32(block.v.data() + 22);
    block.patch32(areaOfD, 22);
    block.patch32(areaOfD + 8, 1);  // and give d\e one subdirectory to read there
    LoadedConfig c;
    EXPECT_FALSE(c.load(package(Script{}, block)));
    EXPECT_EQ(c.config.fileTree, nullptr);
}

TEST(PackageLoad, DeepNestingIsReadWithoutExhaustingTheStack) {
    // 100000 directories each holding the next: a recursive reader would overflow the 1 MB
    // stack of a Windows thread long before the end.
    constexpr std::uint32_t depth = 100000;
    Bytes block;
    block.u32(0), block.u32(0), block.u32(1), block.text(u"root");
    for (std::uint32_t i = 0; i < depth; ++i) {
        block.u32(std::uint32_t(block.size() + 16));  // area right after this entry
        block.u32(i + 1 == depth ? 1 : 0);
        block.u32(i + 1 == depth ? 0 : 1);
        block.text(u"d");
    }
    block.u32(0), block.text(u"leaf");
    block.patch32(0, std::uint32_t(block.size()));
    LoadedConfig c;
    ASSERT_TRUE(c.load(package(Script{}, block)));
    EXPECT_EQ(allFilePaths(c.tree()), std::vector<std::u16string>{u"d\\leaf"});
}

TEST(PackageLoad, NoDirectoriesMeansAllFilesIsTheRootList) {
    LoadedConfig c;
    ASSERT_TRUE(c.load(package(Script{}, fileBlock(u"r", filesNamed({u"a", u"b", u"c"}), {}))));
    std::vector<std::u16string> fromRoot;
    for (FileNode* f = c.tree().files; f; f = f->next) fromRoot.push_back(pathOf(f));
    EXPECT_EQ(allFilePaths(c.tree()), fromRoot);
    EXPECT_EQ(fromRoot, (std::vector<std::u16string>{u"c", u"b", u"a"}));
}

TEST(PackageLoad, TheLastOfTwoSameNamedFilesWinsTheLookup) {
    LoadedConfig c;
    std::vector<File> twins = {{u"f", bytesOf("first")}, {u"f", bytesOf("second")}};
    ASSERT_TRUE(c.load(package(Script{}, fileBlock(u"r", {}, {dir(u"d", twins)}))));
    FileNode* f = findPackageFile(c.tree(), u"d\\f");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::string(f->contents, f->contents + f->size), "second");
}

// Every name in the file block becomes part of a path the elevated installer (or pkgtool
// extract) writes to: one that Windows would read as another folder is a damaged package.
TEST(PackageLoad, NamesThatWouldLeaveTheirFolderAreRejected) {
    auto loads = [](const Bytes& block) {
        LoadedConfig c;
        bool ok = c.load(package(Script{}, block));
        EXPECT_EQ(ok, c.config.fileTree != nullptr);
        return ok;
    };
    for (const char16_t* bad : {u"..", u".", u"a/b", u"a\\b", u"c:x", u"x\x01y", u"name.", u"name ",
                                u"", u"a*", u"..\\..\\Windows\\x.dll"}) {
        SCOPED_TRACE(utf16ToUtf8(bad));
        EXPECT_FALSE(loads(fileBlock(u"root", {{bad, {}}}, {})));
        EXPECT_FALSE(loads(fileBlock(u"root", {}, {dir(u"d", {{bad, {}}})})));
        // A directory's name is its whole path: "a\\b" is two plain names, which is fine.
        if (viewOf(bad) != u"a\\b") {
            EXPECT_FALSE(loads(fileBlock(u"root", {}, {dir(bad, filesNamed({u"f"}))})));
        }
        if (viewOf(bad) != u"") {
            EXPECT_FALSE(loads(fileBlock(bad, filesNamed({u"f"}), {})));
        }
    }
    for (const char16_t* badFolder : {u"d\\..\\..", u"\\d", u"d\\", u"d\\\\e", u"C:\\Windows"}) {
        SCOPED_TRACE(utf16ToUtf8(badFolder));
        EXPECT_FALSE(loads(fileBlock(u"root", {}, {dir(badFolder, filesNamed({u"f"}))})));
    }
    // Names with dots and spaces inside stay what they always were.
    EXPECT_TRUE(loads(fileBlock(u"root", filesNamed({u"..a", u"a..b", u" lead.txt"}),
                                {dir(u"d.d", {}, {dir(u"d.d\\e e", filesNamed({u"f"}))})})));
}
