#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "common/Text.h"
#include "package/Package.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/support/CompressedPackage.h"
#include "tests/support/ShippedPackage.h"

namespace {

// A fresh folder under the temp folder, with the real Win32 layer installed for the test.
class Win32Files : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::os().files;
        platform::os().files = &fs;
        wchar_t temp[MAX_PATH];
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        base = reinterpret_cast<const char16_t*>(temp);
        if (base.back() == u'\\') base.pop_back();
        base += u"\\touchsetup files \u00e9\u4e2d " +
                utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"-" +
                utf8ToUtf16(std::to_string(counter_++));
        deleteFolderTree(base.c_str());
        ASSERT_TRUE(fs.createFolder(base.c_str()));
    }
    void TearDown() override {
        deleteFolderTree(base.c_str());
        platform::os().files = saved_;
    }
    std::u16string at(const std::u16string& rel) const { return base + u"\\" + rel; }

    win32::Win32FileSystem fs;
    std::u16string base;

private:
    platform::FileSystem* saved_ = nullptr;
    static inline int counter_ = 0;
};

}  // namespace

TEST_F(Win32Files, FoldersAndFilesBehaveAsTheCoreExpects) {
    EXPECT_TRUE(fs.exists(base.c_str()));
    EXPECT_FALSE(fs.createFolder(base.c_str()));         // already there
    EXPECT_FALSE(fs.createFolder(at(u"a\\b").c_str()));  // one level only
    ASSERT_TRUE(fs.createFolder(at(u"a").c_str()));
    std::vector<std::uint8_t> bytes = {1, 2, 3, 0, 255};
    EXPECT_EQ(fs.writeFile(at(u"a\\f.bin").c_str(), bytes.data(), bytes.size()),
              platform::WriteResult::Written);
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(fs.readFile(at(u"a\\f.bin").c_str(), back));
    EXPECT_EQ(back, bytes);
    // Overwrite with fewer bytes truncates.
    EXPECT_EQ(fs.writeFile(at(u"a\\f.bin").c_str(), bytes.data(), 2),
              platform::WriteResult::Written);
    ASSERT_TRUE(fs.readFile(at(u"a\\f.bin").c_str(), back));
    EXPECT_EQ(back.size(), 2u);
    EXPECT_EQ(fs.writeFile(at(u"a\\empty").c_str(), nullptr, 0), platform::WriteResult::Written);
    EXPECT_TRUE(fs.exists(at(u"a\\empty").c_str()));
    EXPECT_EQ(fs.writeFile(at(u"missing\\f").c_str(), bytes.data(), 1),
              platform::WriteResult::CannotCreate);

    EXPECT_EQ(fs.removeFolder(at(u"a").c_str()), platform::DeleteResult::Failed);  // not empty
    using platform::DeleteResult;
    EXPECT_EQ(fs.deleteFile(at(u"a").c_str()), DeleteResult::Failed);  // a folder is no file
    EXPECT_EQ(fs.deleteFile(at(u"a\\f.bin").c_str()), DeleteResult::Deleted);
    EXPECT_EQ(fs.deleteFile(at(u"a\\empty").c_str()), DeleteResult::Deleted);
    EXPECT_EQ(fs.removeFolder(at(u"a").c_str()), platform::DeleteResult::Deleted);
    EXPECT_FALSE(fs.exists(at(u"a").c_str()));
}

TEST_F(Win32Files, AFileInUseIsToldApartFromOneNoWaitingWouldFree) {
    using platform::DeleteResult;
    std::vector<std::uint8_t> bytes{1};
    std::u16string held = at(u"held.bin"), readOnly = at(u"read-only.bin");
    ASSERT_EQ(fs.writeFile(held.c_str(), bytes.data(), 1), platform::WriteResult::Written);
    ASSERT_EQ(fs.writeFile(readOnly.c_str(), bytes.data(), 1), platform::WriteResult::Written);
    HANDLE open = CreateFileW(reinterpret_cast<const wchar_t*>(held.c_str()), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    EXPECT_EQ(fs.deleteFile(held.c_str()), DeleteResult::InUse);
    CloseHandle(open);
    EXPECT_EQ(fs.deleteFile(held.c_str()), DeleteResult::Deleted);
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(readOnly.c_str()), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(fs.deleteFile(readOnly.c_str()), DeleteResult::Failed);
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(readOnly.c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(fs.deleteFile(readOnly.c_str()), DeleteResult::Deleted);
    EXPECT_EQ(fs.deleteFile(at(u"missing.bin").c_str()), DeleteResult::Failed);

    // A process's working folder (a script's, say, or its console's) is in use until it goes.
    std::u16string folder = at(u"working");
    ASSERT_TRUE(fs.createFolder(folder.c_str()));
    wchar_t was[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, was);
    ASSERT_TRUE(SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str())));
    EXPECT_EQ(fs.removeFolder(folder.c_str()), DeleteResult::InUse);
    SetCurrentDirectoryW(was);
    EXPECT_EQ(fs.removeFolder(folder.c_str()), DeleteResult::Deleted);
}

TEST_F(Win32Files, ListingReportsNamesAndTheDirectoryFlag) {
    fs.createFolder(at(u"sub").c_str());
    fs.writeFile(at(u"x.txt").c_str(), nullptr, 0);
    std::vector<platform::DirEntry> entries;
    ASSERT_TRUE(fs.listFolder(base.c_str(), entries));
    auto find = [&](const std::u16string& n) {
        return std::find_if(entries.begin(), entries.end(),
                            [&](const platform::DirEntry& e) { return e.name == n; });
    };
    ASSERT_NE(find(u"sub"), entries.end());
    EXPECT_TRUE(find(u"sub")->isDirectory);
    ASSERT_NE(find(u"x.txt"), entries.end());
    EXPECT_FALSE(find(u"x.txt")->isDirectory);
    EXPECT_FALSE(fs.listFolder(at(u"nothing").c_str(), entries));
}

TEST_F(Win32Files, SpecialFoldersExist) {
    using platform::SpecialFolder;
    for (auto which : {SpecialFolder::ProgramFiles, SpecialFolder::Programs, SpecialFolder::Desktop,
                       SpecialFolder::System, SpecialFolder::CommonDocuments}) {
        std::u16string path;
        ASSERT_TRUE(fs.specialFolder(which, path));
        EXPECT_TRUE(fs.exists(path.c_str())) << utf16ToUtf8(path);
    }
}

TEST_F(Win32Files, ThePackageExtractsOntoRealFilesAndIsRemovedAgain) {
    auto blob = testpkg::shippedPackage();
    auto* config = new InstallConfig;
    ASSERT_TRUE(loadPackage(blob.data(), blob.size(), *config));
    PackageRoot& root = *config->fileTree;
    ASSERT_TRUE(copyText(root.targetPath, at(u"KorvelServerV6")));
    createTargetFolders(root);
    int written = 0;
    for (FileNode* f = root.allFiles; f; f = f->nextInAll) {
        TextBuffer path;
        ASSERT_TRUE(targetPathOf(*f, path));
        ASSERT_TRUE(writePackageFile(*f, path)) << utf16ToUtf8(viewOf(path));
        std::vector<std::uint8_t> back;
        ASSERT_TRUE(fs.readFile(path, back));
        EXPECT_EQ(back, std::vector<std::uint8_t>(f->contents, f->contents + f->size));
        ++written;
    }
    EXPECT_EQ(written, 52);
    EXPECT_TRUE(fs.exists(at(u"KorvelServerV6\\driver\\USB\\V6PDrv\\i386\\devcon.exe").c_str()));

    fs.createFolder(at(u"KorvelServerV6\\.keep").c_str());
    EXPECT_FALSE(removeEmptyFolders(root.targetPath));
    EXPECT_TRUE(fs.exists(at(u"KorvelServerV6\\License.txt").c_str()));
    EXPECT_FALSE(deleteFolderTree(root.targetPath));  // the dot folder stays, so does its parent
    EXPECT_FALSE(fs.exists(at(u"KorvelServerV6\\driver").c_str()));
    fs.removeFolder(at(u"KorvelServerV6\\.keep").c_str());
    EXPECT_TRUE(deleteFolderTree(root.targetPath));
    EXPECT_FALSE(fs.exists(root.targetPath));
    releaseInstallConfig(config);
}

// A compressed package's files are decoded as they are written, in pieces, through the real
// file API; a file whose frame is damaged leaves nothing behind, and a file written from pieces
// below a folder others may write keeps to that folder's rules.
TEST_F(Win32Files, CompressedFilesAreDecodedOntoRealFilesAPieceAtATime) {
    std::vector<std::uint8_t> big(std::size_t(3) << 20);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = std::uint8_t((i * 7) ^ (i >> 9));
    std::vector<std::uint8_t> damaged = testpkg::storedCompressed(big);
    damaged.resize(damaged.size() - 2);
    auto blob = testpkg::compressedPackage(
        testpkg::Script{}, u"R", {testpkg::File{u"big.bin", big}, testpkg::File{u"empty.dat", {}}},
        {});
    auto bad = testpkg::package(testpkg::Script{},
                                testpkg::fileBlock(u"R", {testpkg::File{u"cut.bin", damaged}}, {}));
    bad = testpkg::flaggedCompressed(bad);
    auto* config = new InstallConfig;
    ASSERT_TRUE(loadPackage(blob.data(), blob.size(), *config));
    PackageRoot& root = *config->fileTree;
    ASSERT_TRUE(copyText(root.targetPath, at(u"R")));
    createTargetFolders(root);
    for (FileNode* f = root.allFiles; f; f = f->nextInAll) {
        TextBuffer path;
        ASSERT_TRUE(targetPathOf(*f, path));
        ASSERT_TRUE(writePackageFile(*f, path)) << utf16ToUtf8(viewOf(path));
    }
    std::vector<std::uint8_t> back;
    ASSERT_TRUE(fs.readFile(at(u"R\\big.bin").c_str(), back));
    EXPECT_EQ(back, big);
    ASSERT_TRUE(fs.readFile(at(u"R\\empty.dat").c_str(), back));
    EXPECT_TRUE(back.empty());

    EXPECT_EQ(fs.writeFileBelowFrom(root.targetPath, u"below.bin", fileContentsOf(*root.allFiles)),
              platform::WriteResult::Written);
    ASSERT_TRUE(fs.readFile(at(u"R\\below.bin").c_str(), back));
    std::vector<std::uint8_t> expected;
    ASSERT_TRUE(readPackageFile(*root.allFiles, expected, SIZE_MAX));
    EXPECT_EQ(back, expected);

    auto* damagedConfig = new InstallConfig;
    ASSERT_TRUE(loadPackage(bad.data(), bad.size(), *damagedConfig));
    EXPECT_FALSE(writePackageFile(*damagedConfig->fileTree->allFiles, at(u"R\\cut.bin").c_str()));
    EXPECT_FALSE(fs.exists(at(u"R\\cut.bin").c_str()));
    releaseInstallConfig(damagedConfig);
    EXPECT_TRUE(deleteFolderTree(root.targetPath));
    releaseInstallConfig(config);
}
