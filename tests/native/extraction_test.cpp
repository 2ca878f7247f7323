#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/posix/PosixFileSystem.h"

#include "tests/support/PackageFixture.h"
#include "tests/support/ShippedPackage.h"

using namespace testpkg;

namespace {

// Extraction as the installation runs it: folders, then every file from the head of allFiles.
bool extractAll(PackageRoot& root, std::vector<std::u16string>* written = nullptr) {
    createTargetFolders(root);
    for (FileNode* f = root.allFiles; f; f = f->nextInAll) {
        TextBuffer path;
        if (!targetPathOf(*f, path) || !writePackageFile(*f, path)) return false;
        if (written) written->push_back(std::u16string(viewOf(path)));
    }
    return true;
}

}  // namespace

TEST(Extraction, WritesEveryFileUnderTheTargetFolder) {
    FakeFilesScope scope;
    LoadedConfig c;
    ASSERT_TRUE(c.load(shippedPackage()));
    scope.fs.addFolder(u"C:\\Program Files\\Brenmark");
    copyText(c.tree().targetPath, u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    std::vector<std::u16string> written;
    ASSERT_TRUE(extractAll(c.tree(), &written));
    ASSERT_EQ(written.size(), 52u);
    EXPECT_EQ(
        written.front(),
        u"C:\\Program Files\\Brenmark\\KorvelServerV6\\driver\\USB\\V6PDrv\\i386\\devcon.exe");
    EXPECT_EQ(written.back(), u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe");
    auto licence = scope.fs.contents(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\License.txt");
    EXPECT_EQ(licence, (std::vector<std::uint8_t>{0xFF, 0xFE, 'L', 0, 'i', 0, 'c', 0}));
    EXPECT_TRUE(scope.fs.hasFolder(
        u"C:\\Program Files\\Brenmark\\KorvelServerV6\\driver\\HID\\tools\\x86"));
    // Folders are created parents first, each only when missing.
    const auto& trace = fake::faults().trace();
    auto first = std::find_if(trace.begin(), trace.end(),
                              [](const std::string& t) { return t.rfind("createFolder", 0) == 0; });
    ASSERT_NE(first, trace.end());
    EXPECT_EQ(*first, "createFolder C:\\Program Files\\Brenmark\\KorvelServerV6");
}

TEST(Extraction, ZeroSizeFilesAreWrittenEmpty) {
    FakeFilesScope scope;
    LoadedConfig c;
    ASSERT_TRUE(c.load(package(Script{}, fileBlock(u"r", {{u"empty.dat", {}}}, {}))));
    EXPECT_EQ(c.tree().allFiles->contents, nullptr);
    copyText(c.tree().targetPath, u"C:\\out");
    ASSERT_TRUE(extractAll(c.tree()));
    EXPECT_TRUE(scope.fs.hasFile(u"C:\\out\\empty.dat"));
    EXPECT_TRUE(scope.fs.contents(u"C:\\out\\empty.dat").empty());
}

TEST(Extraction, AMissingParentFolderShowsUpAsAFailedWrite) {
    FakeFilesScope scope;
    LoadedConfig c;
    ASSERT_TRUE(c.load(shippedPackage()));
    copyText(c.tree().targetPath, u"C:\\No\\Such\\Place");
    EXPECT_FALSE(extractAll(c.tree()));
    EXPECT_FALSE(scope.fs.hasFolder(u"C:\\No\\Such\\Place"));
}

TEST(Extraction, FailedOrShortWritesAreFailures) {
    FakeFilesScope scope;
    LoadedConfig c;
    ASSERT_TRUE(c.load(package(Script{}, fileBlock(u"r", filesNamed({u"a.exe"}), {}))));
    FileNode& f = *c.tree().allFiles;
    EXPECT_TRUE(writePackageFile(f, u"C:\\a.exe"));
    scope.fs.makeWritesShort(u"C:\\A.EXE");
    EXPECT_FALSE(writePackageFile(f, u"C:\\a.exe"));
    EXPECT_FALSE(scope.fs.hasFile(u"C:\\a.exe"));  // no truncated program stays behind
    fake::faults().failOperation("writeFile");
    EXPECT_FALSE(writePackageFile(f, u"C:\\b.exe"));
    EXPECT_FALSE(scope.fs.hasFile(u"C:\\b.exe"));
}

TEST(Extraction, TargetPathsThatDoNotFitAreRefusedNotCut) {
    LoadedConfig c;
    ASSERT_TRUE(c.load(package(Script{}, fileBlock(u"r", filesNamed({u"name.exe"}), {}))));
    TextBuffer path;
    copyText(c.tree().targetPath, std::u16string(251, u'p'));  // 251 + 1 + 8 = 260 units
    EXPECT_FALSE(targetPathOf(*c.tree().allFiles, path));
    EXPECT_EQ(viewOf(path), u"");
    copyText(c.tree().targetPath, std::u16string(250, u'p'));  // 259 units fit
    EXPECT_TRUE(targetPathOf(*c.tree().allFiles, path));
    EXPECT_EQ(textLength(path), 259u);
}

TEST(FolderRemoval, DeleteTreeSparesDotFoldersAndReportsTheFailure) {
    FakeFilesScope scope;
    scope.fs.addFolder(u"C:\\T");
    scope.fs.addFile(u"C:\\T\\a.txt");
    scope.fs.addFile(u"C:\\T\\.hidden");
    scope.fs.addFolder(u"C:\\T\\sub");
    scope.fs.addFile(u"C:\\T\\sub\\b.txt");
    scope.fs.addFolder(u"C:\\T\\.git");
    scope.fs.addFile(u"C:\\T\\.git\\config");
    EXPECT_FALSE(deleteFolderTree(u"C:\\T"));
    EXPECT_FALSE(scope.fs.hasFile(u"C:\\T\\a.txt"));
    EXPECT_FALSE(scope.fs.hasFile(u"C:\\T\\.hidden"));  // files go whatever their name
    EXPECT_FALSE(scope.fs.hasFolder(u"C:\\T\\sub"));
    EXPECT_TRUE(scope.fs.hasFile(u"C:\\T\\.git\\config"));
    EXPECT_TRUE(scope.fs.hasFolder(u"C:\\T"));

    scope.fs.deleteFile(u"C:\\T\\.git\\config");
    scope.fs.removeFolder(u"C:\\T\\.git");
    EXPECT_TRUE(deleteFolderTree(u"C:\\T"));
    EXPECT_FALSE(scope.fs.hasFolder(u"C:\\T"));
}

TEST(FolderRemoval, RemoveEmptyFoldersKeepsEveryFileAndItsFolders) {
    FakeFilesScope scope;
    scope.fs.addFolder(u"C:\\T");
    scope.fs.addFolder(u"C:\\T\\empty");
    scope.fs.addFolder(u"C:\\T\\empty\\deeper");
    scope.fs.addFolder(u"C:\\T\\full");
    scope.fs.addFile(u"C:\\T\\full\\keep.txt");
    EXPECT_FALSE(removeEmptyFolders(u"C:\\T"));
    EXPECT_FALSE(scope.fs.hasFolder(u"C:\\T\\empty"));
    EXPECT_TRUE(scope.fs.hasFile(u"C:\\T\\full\\keep.txt"));
    EXPECT_TRUE(scope.fs.hasFolder(u"C:\\T"));
    EXPECT_FALSE(removeEmptyFolders(u"C:\\Missing"));
}

TEST(FolderRemoval, LinksAreRemovedNeverFollowed) {
    namespace fs = std::filesystem;
    posix::PosixFileSystem files;
    platform::FileSystem* saved = platform::os().files;
    platform::os().files = &files;
    fs::path base = fs::temp_directory_path() / ("touchsetup-links-" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "elsewhere");
    std::ofstream(base / "elsewhere" / "precious.txt") << "keep";
    fs::create_directories(base / "data");
    fs::create_directory_symlink(base / "elsewhere", base / "data" / "planted");
    fs::create_directory_symlink(base / "elsewhere", base / "linked-data");
    auto windowsPath = [](const fs::path& p) { return utf8ToUtf16(p.string()); };

    // A link inside the folder goes as a link; a folder that is itself a link is not emptied.
    EXPECT_TRUE(deleteFolderTree(windowsPath(base / "data").c_str()));
    EXPECT_FALSE(deleteFolderTree(windowsPath(base / "linked-data").c_str()));
    EXPECT_TRUE(fs::exists(base / "elsewhere" / "precious.txt"));
    EXPECT_FALSE(fs::exists(base / "data"));

    platform::os().files = saved;
    fs::remove_all(base);
}
