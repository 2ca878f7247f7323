#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

#include "package/Package.h"
#include "package/PackageWriter.h"
#include "tests/support/PackageFixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

ScriptRecord record(ScriptCommand command, std::u16string path = {}, std::u16string name = {}) {
    ScriptRecord r;
    r.command = command;
    r.path = std::move(path);
    r.name = std::move(name);
    return r;
}

ScriptRecord textRecord(ScriptCommand command, std::u16string text) {
    ScriptRecord r;
    r.command = command;
    r.text = std::move(text);
    return r;
}

ScriptRecord driverSet(std::optional<std::u16string> x86, std::optional<std::u16string> x64,
                       std::optional<std::u16string> un86, std::optional<std::u16string> un64) {
    ScriptRecord r;
    r.command = ScriptCommand::DriverScripts;
    r.driverScripts = {x86, x64, un86, un64};
    return r;
}

ScriptRecord licence(std::uint8_t language, std::u16string path) {
    ScriptRecord r = record(ScriptCommand::Licence, std::move(path));
    r.language = language;
    return r;
}

// A product shaped like the real one: root files, a driver folder two levels deep, an empty
// folder, an empty file, and one record of every command.
struct Sample {
    std::vector<std::pair<std::u16string, Bytes>> files = {
        {u"KorvelPanel.exe", bytesOf("panel")},
        {u"Uninstall.exe", bytesOf("uninstall")},
        {u"VantrelService.exe", bytesOf("service")},
        {u"License.txt", Bytes{0xFF, 0xFE, 'L', 0}},
        {u"driver\\InstallUsbDriverX86.bat", bytesOf("i86")},
        {u"driver\\InstallUsbDriverX64.bat", bytesOf("i64")},
        {u"driver\\UninstallUsbDriverX86.bat", bytesOf("u86")},
        {u"driver\\UninstallUsbDriverx64.bat", bytesOf("u64")},
        {u"driver\\USB\\x86\\korvelusb.sys", bytesOf("usb-x86")},
        {u"driver\\USB\\amd64\\korvelusb.sys", bytesOf("usb-amd64")},
        {u"driver\\HID\\amd64\\korvelhid.sys", bytesOf("hid")},
        {u"driver\\HID\\amd64\\empty.dat", Bytes{}},
    };
    std::vector<std::u16string> folders = {u"driver\\HID\\x86"};
    std::vector<ScriptRecord> records = {
        textRecord(ScriptCommand::Company, u"Brenmark"),
        textRecord(ScriptCommand::Product, u"KorvelServerV6"),
        record(ScriptCommand::MainApp, u"VantrelService.exe"),
        record(ScriptCommand::ExtraProgram, u"VantrelService.exe"),
        record(ScriptCommand::Uninstaller, u"Uninstall.exe"),
        record(ScriptCommand::LaunchAfterInstall, u"KorvelPanel.exe"),
        record(ScriptCommand::RunEntry, u"KorvelPanel.exe"),
        record(ScriptCommand::StartMenuShortcut, u"KorvelPanel.exe", u"KorvelPanel"),
        record(ScriptCommand::StartMenuShortcut, u"Uninstall.exe", u"Uninstall"),
        record(ScriptCommand::DesktopMenuEntry, u"KorvelPanel.exe", u"Panel settings"),
        record(ScriptCommand::SystemFile, u"driver\\HID\\amd64\\korvelhid.sys"),
        record(ScriptCommand::DesktopShortcut, u"KorvelPanel.exe", u"KorvelPanel"),
        [] {
            ScriptRecord r = record(ScriptCommand::Service, u"VantrelService.exe");
            r.description = u"Servicing interface";
            return r;
        }(),
        record(ScriptCommand::Service, u"KorvelPanel.exe"),
        driverSet(u"driver\\InstallUsbDriverX86.bat", u"driver\\InstallUsbDriverX64.bat",
                  u"driver\\UninstallUsbDriverX86.bat", u"driver\\UninstallUsbDriverx64.bat"),
        driverSet(std::nullopt, u"driver\\InstallUsbDriverX64.bat", std::nullopt, std::nullopt),
        licence(0, u"License.txt"),
        licence(4, u"License.txt"),
    };

    PackageInput input() const {
        PackageInput in;
        in.rootName = u"KorvelServerV6";
        for (const auto& [path, bytes] : files) in.files.push_back(PackageFile{path, bytes});
        in.folders = folders;
        in.records = records;
        return in;
    }
};

Bytes written(const PackageInput& input) {
    Bytes out;
    PackageFault fault;
    EXPECT_TRUE(writePackage(input, out, fault)) << fault.reason;
    return out;
}

std::u16string packagePath(const FileNode* f) {
    if (!f) return u"-";
    if (!f->parent) return std::u16string(viewOf(f->name));
    return std::u16string(viewOf(f->parent->name)) + u"\\" + std::u16string(viewOf(f->name));
}

struct Loaded {
    Bytes bytes;  // the tree reads the files' bytes from here
    InstallConfig* config = new InstallConfig;
    ScriptStop stop;
    bool ok = false;
    explicit Loaded(const Bytes& blob) : bytes(blob) {
        ok = loadPackage(bytes.data(), bytes.size(), *config, &stop);
    }
    ~Loaded() { releaseInstallConfig(config); }
};

template <typename Node, typename Show>
std::vector<std::u16string> listOf(const Node* head, Show show) {
    std::vector<std::u16string> out;
    for (; head; head = head->next) out.push_back(show(head));
    return out;
}

TEST(PackageWriter, RoundTripGivesTheSameTreeAndConfiguration) {
    Sample sample;
    Bytes blob = written(sample.input());
    EXPECT_EQ(blob.size(), measurePackage(sample.input()));
    Loaded loaded(blob);
    ASSERT_TRUE(loaded.ok) << lastPackageRejection;
    EXPECT_EQ(loaded.stop.reason, nullptr);
    const InstallConfig& c = *loaded.config;
    const PackageRoot& root = *c.fileTree;
    EXPECT_EQ(viewOf(root.name), u"KorvelServerV6");

    std::size_t count = 0;
    for (const FileNode* f = root.allFiles; f; f = f->nextInAll) ++count;
    EXPECT_EQ(count, sample.files.size());
    for (const auto& [path, bytes] : sample.files) {
        const FileNode* f = findPackageFile(root, path);
        ASSERT_NE(f, nullptr) << utf16ToUtf8(path);
        EXPECT_EQ(packagePath(f), path);
        ASSERT_EQ(f->size, bytes.size());
        EXPECT_EQ(f->contents == nullptr, bytes.empty());
        if (!bytes.empty()) {
            EXPECT_EQ(std::memcmp(f->contents, bytes.data(), bytes.size()), 0);
        }
    }
    // The empty folder travels too: driver holds HID and USB, HID holds amd64 and x86.
    auto names = [](const DirNode* d) { return std::u16string(viewOf(d->name)); };
    EXPECT_EQ(listOf(root.dirs, names), std::vector<std::u16string>{u"driver"});
    EXPECT_EQ(listOf(root.dirs->subdirs, names),
              (std::vector<std::u16string>{u"driver\\USB", u"driver\\HID"}));
    EXPECT_EQ(listOf(root.dirs->subdirs->next->subdirs, names),
              (std::vector<std::u16string>{u"driver\\HID\\x86", u"driver\\HID\\amd64"}));

    EXPECT_EQ(viewOf(c.company), u"Brenmark");
    EXPECT_EQ(viewOf(c.product), u"KorvelServerV6");
    EXPECT_EQ(packagePath(c.mainApp), u"VantrelService.exe");
    EXPECT_EQ(packagePath(c.extraProgram), u"VantrelService.exe");
    EXPECT_EQ(packagePath(c.uninstaller), u"Uninstall.exe");
    auto file = [](const auto* n) { return packagePath(n->file); };
    auto named = [](const NamedFile* n) {
        return std::u16string(viewOf(n->name)) + u"=" + packagePath(n->file);
    };
    EXPECT_EQ(listOf(c.launchAfterInstall, file), std::vector<std::u16string>{u"KorvelPanel.exe"});
    EXPECT_EQ(listOf(c.runEntries, file), std::vector<std::u16string>{u"KorvelPanel.exe"});
    // Lists hold their entries in reverse record order.
    EXPECT_EQ(
        listOf(c.startMenuShortcuts, named),
        (std::vector<std::u16string>{u"Uninstall=Uninstall.exe", u"KorvelPanel=KorvelPanel.exe"}));
    EXPECT_EQ(listOf(c.desktopMenuEntries, named),
              std::vector<std::u16string>{u"Panel settings=KorvelPanel.exe"});
    EXPECT_EQ(listOf(c.systemFiles, file),
              std::vector<std::u16string>{u"driver\\HID\\amd64\\korvelhid.sys"});
    EXPECT_EQ(listOf(c.desktopShortcuts, named),
              std::vector<std::u16string>{u"KorvelPanel=KorvelPanel.exe"});
    auto service = [](const ServiceEntry* s) {
        return packagePath(s->file) + u"=" +
               (s->description ? std::u16string(s->description) : u"(none)");
    };
    EXPECT_EQ(listOf(c.services, service),
              (std::vector<std::u16string>{u"KorvelPanel.exe=(none)",
                                           u"VantrelService.exe=Servicing interface"}));
    auto set = [](const DriverScriptSet* d) {
        return packagePath(d->installX86) + u"|" + packagePath(d->installX64) + u"|" +
               packagePath(d->uninstallX86) + u"|" + packagePath(d->uninstallX64);
    };
    EXPECT_EQ(listOf(c.driverScriptSets, set),
              (std::vector<std::u16string>{
                  u"-|driver\\InstallUsbDriverX64.bat|-|-",
                  u"driver\\InstallUsbDriverX86.bat|driver\\InstallUsbDriverX64.bat|"
                  u"driver\\UninstallUsbDriverX86.bat|driver\\UninstallUsbDriverx64.bat"}));
    auto lic = [](const LicenceFile* l) {
        return std::u16string(1, char16_t(u'0' + l->languageIndex)) + u"=" + packagePath(l->file);
    };
    EXPECT_EQ(listOf(c.licenceFiles, lic),
              (std::vector<std::u16string>{u"4=License.txt", u"0=License.txt"}));
}

TEST(PackageWriter, ExtractedTreeHoldsEveryFileAndFolder) {
    testpkg::FakeFilesScope files;
    Sample sample;
    Loaded loaded(written(sample.input()));
    ASSERT_TRUE(loaded.ok);
    PackageRoot& root = *loaded.config->fileTree;
    ASSERT_TRUE(copyText(root.targetPath, u"C:\\Program Files\\KorvelServerV6"));
    createTargetFolders(root);
    for (const FileNode* f = root.allFiles; f; f = f->nextInAll) {
        TextBuffer path;
        ASSERT_TRUE(targetPathOf(*f, path));
        ASSERT_TRUE(writePackageFile(*f, path));
    }
    for (const auto& [path, bytes] : sample.files) {
        std::u16string target = u"C:\\Program Files\\KorvelServerV6\\" + path;
        EXPECT_TRUE(files.fs.hasFile(target)) << utf16ToUtf8(target);
        EXPECT_EQ(files.fs.contents(target), bytes) << utf16ToUtf8(target);
    }
    EXPECT_TRUE(files.fs.hasFolder(u"C:\\Program Files\\KorvelServerV6\\driver\\HID\\x86"));
}

TEST(PackageWriter, SameBytesWhateverTheInputOrder) {
    Sample sample;
    PackageInput input = sample.input();
    Bytes reference = written(input);
    std::mt19937 random(7);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(input.files.begin(), input.files.end(), random);
        EXPECT_EQ(written(input), reference) << "round " << round;
    }
    // Folders that hold files need not be listed; listing them changes nothing.
    input.folders.push_back(u"driver");
    input.folders.push_back(u"driver\\USB\\x86");
    EXPECT_EQ(written(input), reference);
}

TEST(PackageWriter, SiblingsSortByTheLittleEndianBytesOfTheirNames) {
    EXPECT_TRUE(packageNameLess(u"B", u"a"));
    EXPECT_TRUE(packageNameLess(u"a", u"a.b"));
    EXPECT_FALSE(packageNameLess(u"a", u"a"));
    // U+0100 is 00 01, U+00FF is FF 00: the low byte decides first.
    EXPECT_TRUE(packageNameLess(u"\u0100", u"\u00FF"));
    EXPECT_FALSE(packageNameLess(u"\u00FF", u"\u0100"));
    EXPECT_TRUE(packageNameLess(u"\u0201", u"\u0102"));
    EXPECT_TRUE(packageNameLess(u"\u0102", u"\u0202"));

    PackageInput input;
    Bytes x = bytesOf("x");
    for (const char16_t* name : {u"\u00FF", u"b", u"\u0100", u"A"}) {
        input.files.push_back(PackageFile{name, x});
    }
    Loaded loaded(written(input));
    ASSERT_TRUE(loaded.ok);
    // The root's file list holds them in reverse entry order.
    auto name = [](const FileNode* f) { return std::u16string(viewOf(f->name)); };
    EXPECT_EQ(listOf(loaded.config->fileTree->files, name),
              (std::vector<std::u16string>{u"\u00FF", u"b", u"A", u"\u0100"}));
}

std::uint32_t u32At(const Bytes& b, std::size_t at) {
    return readU32(b.data() + at);
}

Bytes utf16le(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) {
        out.push_back(std::uint8_t(c & 0xFF));
        out.push_back(std::uint8_t(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

TEST(PackageWriter, RecordsHaveTheByteFormOfTheShippedScript) {
    Bytes readme = bytesOf("r");
    PackageInput input;
    input.files = {{u"License.txt", readme}, {u"S.exe", readme}, {u"d\\a.bat", readme}};
    ScriptRecord service = record(ScriptCommand::Service, u"S.exe");
    service.description = u"D";
    input.records = {textRecord(ScriptCommand::Company, u"B"), service,
                     driverSet(u"d\\a.bat", std::nullopt, std::nullopt, u"d\\a.bat"),
                     licence(0, u"License.txt")};
    Bytes blob = written(input);
    std::uint32_t scriptSize = u32At(blob, 4);

    Bytes expected = {0x00, 0x7E, 'B', 0, 0, 0, 0x7F, 0x07, 0x7E};
    auto append = [&expected](const Bytes& more) {
        expected.insert(expected.end(), more.begin(), more.end());
    };
    append(utf16le(u"S.exe"));
    append({0x7E, 'D', 0, 0, 0, 0x7F, 0x08, 0x7E, 0x00});
    append(utf16le(u"d\\a.bat"));
    append({0x7E, 0x03});
    append(utf16le(u"d\\a.bat"));
    append({0x7F, 0x09, 0x7E, 0x00});
    append(utf16le(u"License.txt"));
    expected.push_back(0x7F);
    ASSERT_EQ(scriptSize, 4 + expected.size());
    EXPECT_EQ(Bytes(blob.begin() + 8, blob.begin() + 4 + scriptSize), expected);
    // The licence record ends the script block and takes 28 bytes, as in the real package.
    EXPECT_EQ(Bytes(blob.begin() + 4 + scriptSize - 28, blob.begin() + 4 + scriptSize - 25),
              (Bytes{0x09, 0x7E, 0x00}));

    std::uint32_t blockSize = u32At(blob, 4 + scriptSize);
    EXPECT_EQ(u32At(blob, 0), blob.size());
    EXPECT_EQ(std::size_t(scriptSize) + blockSize + 4, blob.size());
}

// Offsets relative to the file block: header 12 + root name, then file entries (4 + name +
// contents), then directory entries (12 + name).
std::size_t textBytes(std::u16string_view s) {
    return 2 * (s.size() + 1);
}

TEST(PackageWriter, ContentAreasFollowTheEntriesDepthFirst) {
    Bytes one = bytesOf("1");
    PackageInput input;
    input.rootName = u"R";
    input.files = {{u"f", one}, {u"b\\g", one}, {u"a\\x\\h", one}, {u"a\\i", one}};
    Loaded loaded(written(input));
    ASSERT_TRUE(loaded.ok);
    const PackageRoot& root = *loaded.config->fileTree;
    const DirNode* b = root.dirs;  // list order is the reverse of entry order
    const DirNode* a = b->next;
    const DirNode* ax = a->subdirs;
    ASSERT_EQ(viewOf(a->name), u"a");
    ASSERT_EQ(viewOf(ax->name), u"a\\x");

    std::size_t rootEntries = 12 + textBytes(u"R") + (4 + textBytes(u"f") + 1) +
                              (12 + textBytes(u"a")) + (12 + textBytes(u"b"));
    EXPECT_EQ(a->contentOffset, rootEntries);
    std::size_t aArea = (4 + textBytes(u"i") + 1) + (12 + textBytes(u"a\\x"));
    EXPECT_EQ(ax->contentOffset, rootEntries + aArea);
    std::size_t axArea = 4 + textBytes(u"h") + 1;
    EXPECT_EQ(b->contentOffset, rootEntries + aArea + axArea);
}

struct Refusal {
    const char* what;
    PackageInput input;
    std::optional<std::size_t> record;
};

TEST(PackageWriter, RefusesWhatTheFormatCannotCarry) {
    Bytes x = bytesOf("x");
    std::u16string n259(259, u'n'), n260(260, u'n');
    auto files = [&x](std::initializer_list<std::u16string> paths) {
        std::vector<PackageFile> out;
        for (const auto& p : paths) out.push_back(PackageFile{p, x});
        return out;
    };
    auto withRecord = [&files](ScriptRecord r) {
        PackageInput in;
        in.files = files({u"a.exe"});
        in.records = {textRecord(ScriptCommand::Company, u"B"), std::move(r)};
        return in;
    };
    ScriptRecord nulDescription = record(ScriptCommand::Service, u"a.exe");
    nulDescription.description = std::u16string(u"a\0b", 3);
    std::vector<Refusal> refusals = {
        {"file name of 260 units", {u"R", files({n260}), {}, {}}, std::nullopt},
        {"folder path of 260 units",
         {u"R",
          files({std::u16string(130, u'd') + u"\\" + std::u16string(129, u'e') + u"\\f"}),
          {},
          {}},
         std::nullopt},
        // Such a file could be neither named by a record nor installed under any folder.
        {"file path of 260 units",
         {u"R", files({std::u16string(129, u'd') + u"\\" + std::u16string(130, u'f')}), {}, {}},
         std::nullopt},
        {"empty path component", {u"R", files({u"a\\\\b"}), {}, {}}, std::nullopt},
        {"leading backslash", {u"R", files({u"\\a"}), {}, {}}, std::nullopt},
        {"duplicate file", {u"R", files({u"a\\b", u"a\\b"}), {}, {}}, std::nullopt},
        {"file and folder of one name", {u"R", files({u"a", u"a\\b"}), {}, {}}, std::nullopt},
        {"root name with a backslash", {u"R\\S", files({u"a"}), {}, {}}, std::nullopt},
        {"root name of 260 units", {n260, files({u"a"}), {}, {}}, std::nullopt},
        {"company of 260 units", withRecord(textRecord(ScriptCommand::Product, n260)), 1},
        {"path of 260 units", withRecord(record(ScriptCommand::MainApp, n260)), 1},
        {"shortcut name of 260 units",
         withRecord(record(ScriptCommand::DesktopShortcut, u"a.exe", n260)), 1},
        {"driver set without install script",
         withRecord(driverSet(std::nullopt, std::nullopt, u"a.exe", u"a.exe")), 1},
        {"NUL in a description", withRecord(nulDescription), 1},
    };
    for (const Refusal& r : refusals) {
        Bytes out = {1, 2, 3};
        PackageFault fault;
        EXPECT_FALSE(writePackage(r.input, out, fault)) << r.what;
        EXPECT_TRUE(out.empty()) << r.what;
        EXPECT_FALSE(fault.reason.empty()) << r.what;
        EXPECT_EQ(fault.record, r.record) << r.what;
    }

    // The longest names that fit are written and read back whole.
    PackageInput fits;
    fits.rootName = n259;
    fits.files =
        files({std::u16string(129, u'd') + u"\\" + std::u16string(127, u'e') + u"\\f", n259});
    fits.folders = {std::u16string(129, u'd') + u"\\" + std::u16string(129, u'g')};
    fits.records = {record(ScriptCommand::StartMenuShortcut, n259, n259)};
    Loaded loaded(written(fits));
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(viewOf(loaded.config->fileTree->name), n259);
    EXPECT_NE(findPackageFile(*loaded.config->fileTree, n259), nullptr);
    EXPECT_EQ(loaded.stop.reason, nullptr);
}

TEST(PackageWriter, PackagesOverWhatSetupCanCarryAreRefusedBeforeAnyWrite) {
    // The files share one 64 MiB buffer; nothing is copied before the size is known.
    constexpr std::size_t kChunk = std::size_t(64) << 20;
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kChunk]());
    std::span<const std::uint8_t> chunk(buffer.get(), kChunk);
    PackageInput input;
    input.rootName = u"R";
    // Exactly the limit in contents: the package's own bytes take it over.
    const int chunks = int((kMaxPackageSize + kChunk - 1) / kChunk);
    for (int i = 0; i < chunks; ++i) {
        char16_t name[] = {u'f', char16_t(u'A' + i / 26), char16_t(u'a' + i % 26), 0};
        input.files.push_back(PackageFile{name, chunk});
    }
    std::uint64_t overhead = measurePackage(input) - chunks * std::uint64_t(kChunk);
    EXPECT_GT(measurePackage(input), kMaxPackageSize);

    PackageFault fault;
    Bytes out;
    EXPECT_FALSE(writePackage(input, out, fault));
    // The refusal names the limit and why it is there.
    EXPECT_NE(fault.reason.find("1677721600 bytes"), std::string::npos) << fault.reason;
    EXPECT_NE(fault.reason.find("32-bit setup.exe"), std::string::npos) << fault.reason;
    EXPECT_TRUE(out.empty());

    // Exactly the limit passes the check; one byte more does not.
    std::uint64_t lastSize = kChunk - (chunks * std::uint64_t(kChunk) + overhead - kMaxPackageSize);
    input.files.back().contents = chunk.first(lastSize);
    EXPECT_EQ(measurePackage(input), kMaxPackageSize);
    EXPECT_TRUE(checkPackageInput(input, fault)) << fault.reason;
    input.files.back().contents = chunk.first(lastSize + 1);
    EXPECT_FALSE(checkPackageInput(input, fault));
}

}  // namespace
