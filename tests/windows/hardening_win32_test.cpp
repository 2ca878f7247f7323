// The Win32 pieces the elevated installer's defences rest on, on real calls: the access-list
// judgement, protected folders, and the operations below a shared folder that never follow a
// link. Links are made as Windows makes them (a directory or file symbolic link); under Wine,
// which makes none, as Unix symbolic links, which Wine reports as reparse points but follows
// on every open.
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <fstream>
#include <optional>

#include "package/FileTree.h"
#include "platform/win32/Win32Security.h"
#include "tests/windows/Win32Machine.h"

namespace {

using UnixNameOf = char*(CDECL*)(const wchar_t*);

UnixNameOf wineUnixName() {
    return reinterpret_cast<UnixNameOf>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

bool isReparsePoint(const std::filesystem::path& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::string unixPathOf(const std::filesystem::path& path) {
    UnixNameOf unixName = wineUnixName();
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    std::string out = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return out;
}

// Runs a shell script on Wine's Unix side; true when it succeeded. Wine does not follow a Unix
// program's end, so a script that succeeds leaves a marker file last, and that is waited for.
bool runUnixScript(const std::string& script, const std::filesystem::path& marker) {
    std::string command = "Z:\\bin\\sh -c \"" + script + " && touch '" + unixPathOf(marker) + "'\"";
    std::wstring wideCommand(command.begin(), command.end());
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i) Sleep(50);
    bool done = std::filesystem::exists(marker);
    DeleteFileW(marker.c_str());
    return done;
}

// Links a test plants, removed again before the scratch folder goes (Wine's own DeleteFileW
// and RemoveDirectoryW would act on what a Unix link leads to).
struct PlantedLinks {
    std::filesystem::path markerFolder;
    std::vector<std::filesystem::path> unixLinks;

    explicit PlantedLinks(std::filesystem::path folder) : markerFolder(std::move(folder)) {}
    ~PlantedLinks() {
        for (const auto& link : unixLinks) {
            runUnixScript("rm -f '" + unixPathOf(link) + "'", markerFolder / L"removed.marker");
        }
    }

    // A link at `link` to `target`: a symbolic link where Windows makes one, a Unix symbolic
    // link under Wine. False when this system can make none (then the test says so).
    bool plant(const std::filesystem::path& link, const std::filesystem::path& target,
               bool toFolder) {
        DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE |
                      (toFolder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
        if (CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) && isReparsePoint(link)) {
            return true;
        }
        if (!wineUnixName()) return false;
        // Wine shows a Unix link to a folder as a reparse point, one to a file as a plain file.
        unixLinks.push_back(link);
        std::string at = unixPathOf(link);
        return runUnixScript(
            "ln -s '" + unixPathOf(target) + "' '" + at + "' && test -L '" + at + "'",
            markerFolder / L"planted.marker");
    }
};

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A security descriptor from SDDL, freed at the end.
struct Descriptor {
    PSECURITY_DESCRIPTOR sd = nullptr;
    explicit Descriptor(const wchar_t* sddl) {
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr);
    }
    ~Descriptor() { LocalFree(sd); }
    // Whether the list lets only the trusted write; none when this system cannot parse the SDDL.
    std::optional<bool> judged() const {
        if (!sd) return std::nullopt;
        PSID owner = nullptr;
        PACL dacl = nullptr;
        BOOL defaulted = FALSE, present = FALSE;
        GetSecurityDescriptorOwner(sd, &owner, &defaulted);
        GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
        return win32::onlyTrustedMayWrite(owner, present ? dacl : nullptr);
    }
};

std::wstring userSid() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    std::vector<BYTE> user(256);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, user.data(), DWORD(user.size()), &size);
    CloseHandle(token);
    LPWSTR text = nullptr;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text);
    std::wstring out = text ? text : L"";
    LocalFree(text);
    return out;
}

const wchar_t* kTrustedInstaller =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

}  // namespace

// The judgement itself, on access lists built in memory: every kind of entry the check must
// tell apart, whatever the file system underneath can store.
TEST(Win32AccessList, OnlyTheSystemsOwnAndTheRunningAccountMayWrite) {
    std::wstring me = userSid();
    ASSERT_FALSE(me.empty());
    auto judge = [](const std::wstring& sddl) {
        std::optional<bool> verdict = Descriptor(sddl.c_str()).judged();
        EXPECT_TRUE(verdict.has_value())
            << "cannot parse " << std::string(sddl.begin(), sddl.end());
        return verdict.value_or(true) ? 1 : 0;
    };
    // Trusted owners and writers.
    EXPECT_EQ(judge(L"O:BAD:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"), 1);
    EXPECT_EQ(judge(L"O:SYD:(A;;FA;;;SY)(A;;0x1200a9;;;WD)"), 1);
    EXPECT_EQ(judge(L"O:" + me + L"D:(A;;FA;;;" + me + L")"), 1);
    EXPECT_EQ(judge(std::wstring(L"O:") + kTrustedInstaller + L"D:(A;;FA;;;" + kTrustedInstaller +
                    L")(A;;0x1200a9;;;BU)"),
              1);
    // An entry that only passes down to what is created inside does not apply to the object.
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;OICIIO;FA;;;CO)(A;OICIIO;FA;;;AU)"), 1);
    // A deny entry grants nothing.
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(D;;FA;;;WD)"), 1);
    // Anyone else who may write, append, delete, change the list or take ownership.
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;FA;;;WD)"), 0);
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;0x2;;;BU)"), 0);   // write data / add file
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;0x4;;;AU)"), 0);   // append / add folder
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;SD;;;BU)"), 0);    // delete
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;0x40;;;BU)"), 0);  // delete child
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;WD;;;BU)"), 0);    // WRITE_DAC
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;WO;;;BU)"), 0);    // WRITE_OWNER
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;GW;;;BU)"), 0);    // GENERIC_WRITE
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;GA;;;BU)"), 0);    // GENERIC_ALL
    EXPECT_EQ(judge(L"O:BUD:(A;;FA;;;BA)"), 0);                // an untrusted owner
    // No list at all: everyone may do everything.
    Descriptor admins(L"O:BA");
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(admins.sd, &owner, &defaulted));
    EXPECT_FALSE(win32::onlyTrustedMayWrite(owner, nullptr));
    // An allow entry of a kind not judged here (a callback entry) could grant anything.
    Descriptor callback(L"O:BAD:(A;;FA;;;BA)(XA;;0x1200a9;;;BU;(WIN://TEST == 1))");
    if (callback.sd) {
        EXPECT_EQ(callback.judged(), std::optional<bool>(false));
    } else {
        std::puts("note: this system parses no callback entries; that case is not checked");
    }
}

TEST(Win32AccessList, FoldersAndFilesOnDisk) {
    win32::Win32Security security;
    ScratchFolder scratch(L"ts acl");
    auto folder = scratch.root / L"folder";
    std::filesystem::create_directories(folder);
    writeText(folder / L"file.txt", "x");
    EXPECT_TRUE(security.isWritableOnlyByTrusted(u16(folder).c_str()));
    EXPECT_TRUE(security.isWritableOnlyByTrusted(u16(folder / L"file.txt").c_str()));
    EXPECT_FALSE(security.isWritableOnlyByTrusted(u16(folder / L"missing").c_str()));

    // Everyone given full control (Wine keeps this as mode 777 and reads Everyone's write back).
    Descriptor open(L"D:(A;OICI;FA;;;WD)(A;OICI;FA;;;SY)");
    ASSERT_TRUE(SetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, open.sd));
    EXPECT_FALSE(security.isWritableOnlyByTrusted(u16(folder).c_str()));

    // A protected folder made inside the open one is writable by nobody else from the start.
    auto made = folder / L"protected";
    ASSERT_TRUE(security.createProtectedFolder(u16(made).c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(made));
    EXPECT_TRUE(security.isWritableOnlyByTrusted(u16(made).c_str()));
    EXPECT_FALSE(security.createProtectedFolder(u16(made).c_str()));  // never taken over
    EXPECT_FALSE(security.createProtectedFolder(u16(scratch.root / L"no\\parent").c_str()));
    if (!wineUnixName()) {
        // What Wine does not keep: the list itself, protected from inheritance. (Wine stores
        // only permission bits: SYSTEM and the Wine user full control, nobody else anything.)
        PSECURITY_DESCRIPTOR sd = nullptr;
        PACL dacl = nullptr;
        ASSERT_EQ(GetNamedSecurityInfoW(made.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                        nullptr, nullptr, &dacl, nullptr, &sd),
                  DWORD(ERROR_SUCCESS));
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(sd, &control, &revision);
        EXPECT_TRUE(control & SE_DACL_PROTECTED);
        EXPECT_EQ(dacl->AceCount, 3);
        LocalFree(sd);
    }

    // A link is no object of its own to judge, whatever it leads to.
    PlantedLinks links(scratch.root);
    if (!links.plant(scratch.root / L"link", made, true)) {
        GTEST_SKIP() << "this system makes no links";
    }
    auto link = scratch.root / L"link";
    EXPECT_FALSE(security.isWritableOnlyByTrusted(u16(link).c_str()));
}

namespace {

constexpr platform::DeleteResult Deleted = platform::DeleteResult::Deleted;
constexpr platform::DeleteResult Failed = platform::DeleteResult::Failed;

// A base folder holding real objects and links to objects outside it, with the Win32 file
// system installed for the test.
class Win32Below : public ::testing::Test {
protected:
    void SetUp() override {
        base = scratch.root / L"shared";
        outside = scratch.root / L"outside";
        std::filesystem::create_directories(base / L"real");
        std::filesystem::create_directories(outside / L"dir");
        writeText(outside / L"precious.txt", "precious");
        writeText(outside / L"dir" / L"x.txt", "x");
        linked = links.plant(base / L"dirlink", outside / L"dir", true) &&
                 links.plant(base / L"filelink", outside / L"precious.txt", false);
    }
    bool outsideIntact() {
        return readText(outside / L"precious.txt") == "precious" &&
               readText(outside / L"dir" / L"x.txt") == "x" &&
               std::distance(std::filesystem::directory_iterator(outside / L"dir"),
                             std::filesystem::directory_iterator()) == 1;
    }
    const char16_t* b() {
        baseText = u16(base);
        return baseText.c_str();
    }

    Win32Machine machine;
    ScratchFolder scratch{L"ts below"};
    PlantedLinks links{scratch.root};  // goes before the scratch folder
    std::filesystem::path base, outside;
    std::u16string baseText;
    bool linked = false;
};

}  // namespace

TEST_F(Win32Below, RealObjectsAreMadeListedWrittenAndRemoved) {
    auto& fs = machine.files;
    ASSERT_TRUE(fs.createFolderBelow(b(), u"real\\sub"));
    EXPECT_FALSE(fs.createFolderBelow(b(), u"real\\sub"));
    const std::uint8_t longer[] = {1, 2, 3, 4, 5, 6}, shorter[] = {9, 8};
    EXPECT_EQ(fs.writeFileBelow(b(), u"real\\sub\\f.bin", longer, sizeof longer),
              platform::WriteResult::Written);
    EXPECT_EQ(fs.writeFileBelow(b(), u"real\\sub\\f.bin", shorter, sizeof shorter),
              platform::WriteResult::Written);
    EXPECT_EQ(readText(base / L"real" / L"sub" / L"f.bin"), "\x09\x08");
    std::vector<platform::DirEntry> entries;
    ASSERT_TRUE(fs.listBelow(b(), u"real\\sub", entries));
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const platform::DirEntry& e) {
        return e.name == u"f.bin" && !e.isDirectory;
    }));
    EXPECT_EQ(fs.removeBelow(b(), u"real\\sub"), Failed);  // not empty
    EXPECT_EQ(fs.removeBelow(b(), u"real\\sub\\f.bin"), Deleted);
    EXPECT_EQ(fs.removeBelow(b(), u"real\\sub"), Deleted);
    EXPECT_FALSE(std::filesystem::exists(base / L"real" / L"sub"));
    for (const char16_t* bad : {u"real\\..\\..\\outside", u"real/sub", u"", u"real\\"}) {
        EXPECT_FALSE(fs.createFolderBelow(b(), bad));
        EXPECT_FALSE(fs.listBelow(b(), bad, entries));
        EXPECT_EQ(fs.removeBelow(b(), bad), Failed);
    }
}

// A file another process holds open without sharing its deletion can go later: the uninstaller
// tries it again instead of leaving it.
TEST_F(Win32Below, AFileHeldOpenIsInUseUntilItIsClosed) {
    writeText(base / L"real" / L"held.bin", "held");
    HANDLE h = CreateFileW((base / L"real" / L"held.bin").c_str(), GENERIC_READ, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine.files.removeBelow(b(), u"real\\held.bin"), platform::DeleteResult::InUse);
    CloseHandle(h);
    EXPECT_EQ(machine.files.removeBelow(b(), u"real\\held.bin"), Deleted);
    EXPECT_FALSE(std::filesystem::exists(base / L"real" / L"held.bin"));
}

TEST_F(Win32Below, NothingBehindALinkIsListedRemovedOrWritten) {
    if (!linked) GTEST_SKIP() << "this system makes no links";
    auto& fs = machine.files;
    std::vector<platform::DirEntry> entries;
    EXPECT_FALSE(fs.listBelow(b(), u"dirlink", entries));
    EXPECT_EQ(fs.removeBelow(b(), u"dirlink\\x.txt"), Failed);
    const std::uint8_t bytes[] = {'b', 'a', 'd'};
    EXPECT_EQ(fs.writeFileBelow(b(), u"dirlink\\new.txt", bytes, sizeof bytes),
              platform::WriteResult::CannotCreate);
    EXPECT_EQ(fs.writeFileBelow(b(), u"filelink", bytes, sizeof bytes),
              platform::WriteResult::CannotCreate);
    EXPECT_FALSE(fs.createFolderBelow(b(), u"dirlink\\made"));
    // A link at the end is removed itself (Windows) or left alone (Wine follows it on open,
    // and the check refuses): what it leads to stays either way.
    auto present = [](const std::filesystem::path& p) {
        return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    EXPECT_EQ(fs.removeBelow(b(), u"filelink") == Deleted, !present(base / L"filelink"));
    EXPECT_EQ(fs.removeBelow(b(), u"dirlink") == Deleted, !present(base / L"dirlink"));
    EXPECT_TRUE(outsideIntact());
}

TEST_F(Win32Below, EmptyingASharedFolderLeavesWhatLinksLeadTo) {
    if (!linked) GTEST_SKIP() << "this system makes no links";
    writeText(base / L"real" / L"mine.txt", "mine");
    deleteTreeBelow(b(), u"real");
    EXPECT_FALSE(std::filesystem::exists(base / L"real"));
    std::u16string root = u16(scratch.root);
    deleteTreeBelow(root.c_str(), u"shared");
    EXPECT_TRUE(outsideIntact());
}

TEST(Win32FilesLimit, AFileOverTheLimitIsNotRead) {
    win32::Win32FileSystem fs;
    ScratchFolder scratch(L"ts limit");
    writeText(scratch.root / L"ten.bin", "0123456789");
    std::vector<std::uint8_t> bytes;
    std::u16string path = u16(scratch.root / L"ten.bin");
    EXPECT_FALSE(fs.readFile(path.c_str(), bytes, 9));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(fs.readFile(path.c_str(), bytes, 10));
    EXPECT_EQ(bytes.size(), 10u);
}

// What makes a folder on the way to an installation unsound: anyone else who may remove or
// rename it or what it holds, or change its list or owner. Adding to it is no fault: every
// user may make folders in a drive's root.
TEST(Win32AccessList, FoldersOnTheWayMayBeAddedToButNotChangedByOthers) {
    auto judge = [](const wchar_t* sddl) {
        Descriptor d(sddl);
        EXPECT_NE(d.sd, nullptr) << "cannot parse";
        PSID owner = nullptr;
        PACL dacl = nullptr;
        BOOL defaulted = FALSE, present = FALSE;
        GetSecurityDescriptorOwner(d.sd, &owner, &defaulted);
        GetSecurityDescriptorDacl(d.sd, &present, &dacl, &defaulted);
        return win32::onlyTrustedMayChange(owner, present ? dacl : nullptr) ? 1 : 0;
    };
    // C:\ as Windows sets it: users may add folders; what they add, they may change.
    EXPECT_EQ(judge(L"O:SYD:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
                    L"(A;CI;0x4;;;AU)(A;OICIIO;SDGXGWGR;;;AU)"),
              1);
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;0x2;;;BU)"), 1);  // add files
    // C:\Tools as an administrator makes it there: Authenticated Users inherit Modify.
    EXPECT_EQ(judge(L"O:BAD:(A;OICI;FA;;;BA)(A;OICIID;SDGXGWGR;;;AU)"), 0);
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;FA;;;WD)"), 0);
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;SD;;;BU)"), 0);    // delete
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;0x40;;;BU)"), 0);  // delete child
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;WD;;;BU)"), 0);    // WRITE_DAC
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;WO;;;BU)"), 0);    // WRITE_OWNER
    EXPECT_EQ(judge(L"O:BAD:(A;;FA;;;BA)(A;;GA;;;BU)"), 0);    // GENERIC_ALL
    EXPECT_EQ(judge(L"O:BUD:(A;;FA;;;BA)"), 0);                // an untrusted owner
}

// The folders from the drive's root down are judged through handles on themselves and kept from
// being renamed or removed, by this process too, until the hold is let go.
TEST(Win32Hold, AFolderChainIsJudgedHeldAndLetGo) {
    win32::Win32Security security;
    ScratchFolder scratch(L"ts hold");
    auto product = scratch.root / L"Co" / L"Pr";
    std::filesystem::create_directories(product);
    platform::Held held = security.holdFolderChain(u16(product).c_str());
    ASSERT_TRUE(held.sound()) << int(held.fault) << " at "
                              << std::string(held.atFault.begin(), held.atFault.end());
    auto aside = scratch.root / L"aside";
    for (const auto& folder : {scratch.root / L"Co", product}) {
        EXPECT_FALSE(MoveFileExW(folder.c_str(), aside.c_str(), 0)) << folder.string();
        EXPECT_TRUE(std::filesystem::exists(folder));
    }
    EXPECT_FALSE(RemoveDirectoryW(product.c_str()));
    // Work inside goes on as usual.
    writeText(product / L"f.txt", "f");
    EXPECT_TRUE(DeleteFileW((product / L"f.txt").c_str()));
    held.hold.reset();
    EXPECT_TRUE(MoveFileExW((scratch.root / L"Co").c_str(), aside.c_str(), 0));

    // "C:" is the drive's root, not the current folder.
    platform::Held root = security.holdFolderChain(u"C:");
    EXPECT_TRUE(root.sound() || root.atFault == u"C:\\");
}

TEST(Win32Hold, AChainWithAFolderOthersCanChangeAMissingOneOrALinkIsRefused) {
    win32::Win32Security security;
    ScratchFolder scratch(L"ts chain");
    auto open = scratch.root / L"open";
    std::filesystem::create_directories(open / L"Co");
    Descriptor everyone(L"D:(A;OICI;FA;;;WD)(A;OICI;FA;;;SY)");
    ASSERT_TRUE(SetFileSecurityW(open.c_str(), DACL_SECURITY_INFORMATION, everyone.sd));
    platform::Held held = security.holdFolderChain(u16(open / L"Co").c_str());
    EXPECT_EQ(held.fault, platform::FolderFault::ChangeableByOthers);
    EXPECT_EQ(held.atFault, u16(open));
    EXPECT_EQ(held.hold, nullptr);

    held = security.holdFolderChain(u16(scratch.root / L"none" / L"Co").c_str());
    EXPECT_EQ(held.fault, platform::FolderFault::Missing);
    EXPECT_EQ(held.atFault, u16(scratch.root / L"none"));

    for (const char16_t* notFull : {u"Tools", u"C:Tools", u"\\Tools", u"\\\\server\\share"}) {
        EXPECT_FALSE(security.holdFolderChain(notFull).sound());
    }

    auto real = scratch.root / L"real";
    std::filesystem::create_directories(real / L"Co");
    PlantedLinks links(scratch.root);
    if (!links.plant(scratch.root / L"link", real, true)) {
        GTEST_SKIP() << "this system makes no links";
    }
    held = security.holdFolderChain(u16(scratch.root / L"link" / L"Co").c_str());
    EXPECT_EQ(held.fault, platform::FolderFault::Link);
    EXPECT_EQ(held.atFault, u16(scratch.root / L"link"));
}

// A script the elevated uninstall would run: held, so that nobody can change or replace it
// between the judgement and the run; refused when others can write it or a link is on the way.
TEST(Win32Hold, AScriptIsRunOnlyFromAHeldTrustedFile) {
    win32::Win32Security security;
    ScratchFolder scratch(L"ts script");
    std::filesystem::create_directories(scratch.root / L"driver");
    writeText(scratch.root / L"driver" / L"u.bat", "@exit 0\r\n");
    std::u16string base = u16(scratch.root);
    platform::Held held = security.holdTrustedFile(base.c_str(), u"driver\\u.bat");
    ASSERT_TRUE(held.sound());
    HANDLE writer = CreateFileW((scratch.root / L"driver" / L"u.bat").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    held.hold.reset();

    Descriptor everyone(L"D:(A;;FA;;;WD)(A;;FA;;;SY)");
    ASSERT_TRUE(SetFileSecurityW((scratch.root / L"driver" / L"u.bat").c_str(),
                                 DACL_SECURITY_INFORMATION, everyone.sd));
    EXPECT_EQ(security.holdTrustedFile(base.c_str(), u"driver\\u.bat").fault,
              platform::FolderFault::ChangeableByOthers);
    EXPECT_FALSE(security.holdTrustedFile(base.c_str(), u"driver\\..\\x.bat").sound());

    auto outside = scratch.root / L"outside";
    std::filesystem::create_directories(outside);
    writeText(outside / L"v.bat", "@exit 0\r\n");
    PlantedLinks links(scratch.root);
    if (!links.plant(scratch.root / L"linked", outside, true)) {
        GTEST_SKIP() << "this system makes no links";
    }
    EXPECT_EQ(security.holdTrustedFile(base.c_str(), u"linked\\v.bat").fault,
              platform::FolderFault::Link);
}

// A second name of a file outside, planted in a shared folder, is that other file too.
TEST_F(Win32Below, AHardLinkIsNeverWrittenThrough) {
    if (!CreateHardLinkW((base / L"hard.txt").c_str(), (outside / L"precious.txt").c_str(),
                         nullptr)) {
        GTEST_SKIP() << "this system makes no hard links";
    }
    const std::uint8_t bytes[] = {'b', 'a', 'd'};
    EXPECT_EQ(machine.files.writeFileBelow(b(), u"hard.txt", bytes, sizeof bytes),
              platform::WriteResult::CannotCreate);
    EXPECT_TRUE(outsideIntact());
    EXPECT_EQ(machine.files.removeBelow(b(), u"hard.txt"), platform::DeleteResult::Deleted);
    EXPECT_TRUE(outsideIntact());
}

// A file below a folder every user can write is read only when it is the very file at that
// name, and only up to a bound found out before reading: what the panel's configuration or a
// data folder's marker says cannot lead the elevated installer into another file.
TEST_F(Win32Below, AFileIsReadOnlyItselfAndWithinItsBound) {
    auto& fs = machine.files;
    writeText(base / L"real" / L"PanelConfig.ini", "<IPEndpoint IP=\"10.0.0.1\" Port=\"80\" />");
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(fs.readFileBelow(b(), u"real\\PanelConfig.ini", bytes, 1024));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "<IPEndpoint IP=\"10.0.0.1\" Port=\"80\" />");
    EXPECT_FALSE(fs.readFileBelow(b(), u"real\\PanelConfig.ini", bytes, 8));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(fs.readFileBelow(b(), u"real", bytes, 1024));  // a folder
    EXPECT_FALSE(fs.readFileBelow(b(), u"real\\missing.ini", bytes, 1024));
    EXPECT_FALSE(fs.readFileBelow(b(), u"real\\..\\..\\outside\\precious.txt", bytes, 1024));
    if (!linked) GTEST_SKIP() << "this system makes no links";
    EXPECT_FALSE(fs.readFileBelow(b(), u"filelink", bytes, 1024));
    EXPECT_FALSE(fs.readFileBelow(b(), u"dirlink\\x.txt", bytes, 1024));
}

// A marker the installation writes into a folder every user can write is protected at once: the
// judgement then finds nobody else able to change it. A link is never protected (what it leads
// to would be), nor a file with a second name.
TEST_F(Win32Below, AFileIsProtectedItselfNeverThroughALink) {
    win32::Win32Security security;
    auto file = base / L"real" / L"ProductIdentity.txt";
    writeText(file, "Alder TouchSuite");
    Descriptor open(L"D:(A;;FA;;;WD)(A;;FA;;;SY)");
    ASSERT_TRUE(SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, open.sd));
    EXPECT_FALSE(security.isWritableOnlyByTrusted(u16(file).c_str()));
    ASSERT_TRUE(security.protectFileBelow(b(), u"real\\ProductIdentity.txt"));
    EXPECT_TRUE(security.isWritableOnlyByTrusted(u16(file).c_str()));
    EXPECT_FALSE(security.protectFileBelow(b(), u"real"));
    EXPECT_FALSE(security.protectFileBelow(b(), u"real\\missing.txt"));
    EXPECT_FALSE(security.protectFileBelow(b(), u"real\\..\\real\\ProductIdentity.txt"));
    if (!linked) GTEST_SKIP() << "this system makes no links";
    writeText(outside / L"dir" / L"ProductIdentity.txt", "x");
    EXPECT_FALSE(security.protectFileBelow(b(), u"filelink"));
    EXPECT_FALSE(security.protectFileBelow(b(), u"dirlink\\ProductIdentity.txt"));
    std::filesystem::remove(outside / L"dir" / L"ProductIdentity.txt");
    EXPECT_TRUE(outsideIntact());
}

// The running account is one of the trusted principals only when it has no processes of less
// power: an elevated administrator under UAC has its limited ones, and whatever they run could
// write what the account may (a LocalSystem service's program in a folder it owns, say).
TEST(Win32AccessList, TheRunningAccountIsTrustedOnlyWithoutProcessesOfLessPower) {
    constexpr int kDefault = 1, kFull = 2, kLimited = 3;                  // TOKEN_ELEVATION_TYPE
    EXPECT_TRUE(win32::accountCountsAsTrusted(kDefault, true, false));    // UAC off, SYSTEM
    EXPECT_FALSE(win32::accountCountsAsTrusted(kFull, true, false));      // UAC's elevated half
    EXPECT_TRUE(win32::accountCountsAsTrusted(kFull, true, true));        // both halves admins
    EXPECT_FALSE(win32::accountCountsAsTrusted(kLimited, false, false));  // not elevated
    EXPECT_FALSE(win32::accountCountsAsTrusted(kDefault, false, false));  // a standard user
    // Wine gives every process of its one user an administrator's token, the linked one too:
    // there the account is trusted, as the folders it owns (all of them) must be.
    if (wineUnixName()) {
        win32::Win32Security security;
        ScratchFolder scratch(L"ts account");
        EXPECT_TRUE(security.isWritableOnlyByTrusted(u16(scratch.root).c_str()));
    }
}
