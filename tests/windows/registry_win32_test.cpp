// The Win32 registry layer and the installation's records on the real registry. Private keys go
// under HKCU\Software\TouchSetupTest; the system keys the records use are written, checked and
// removed again, and each test checks that it left them as it found them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/Text.h"
#include "engine/RegistryDesktopMenu.h"
#include "engine/RegistryKeyRecord.h"
#include "engine/RegistryPaths.h"
#include "engine/RegistryProductKey.h"
#include "engine/RegistryRunEntry.h"
#include "engine/RegistryUninstallEntry.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Registry.h"

using platform::KeyAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

const wchar_t kTestKey[] = L"Software\\TouchSetupTest";

bool keyExists(HKEY root, const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wide(path.c_str()), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct RawValue {
    bool found = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

RawValue rawValue(HKEY root, const std::u16string& path, const char16_t* name) {
    RawValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, wide(path.c_str()), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExW(key, wide(name), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.found = RegQueryValueExW(key, wide(name), nullptr, &value.type, value.bytes.data(),
                                       &size) == ERROR_SUCCESS;
        value.bytes.resize(size);
    }
    RegCloseKey(key);
    return value;
}

std::vector<BYTE> bytesOf(std::u16string_view text) {
    std::vector<BYTE> bytes;
    for (char16_t c : text) {
        bytes.push_back(BYTE(c & 0xFF));
        bytes.push_back(BYTE(c >> 8));
    }
    return bytes;
}

// What the registry holds for a text the records write. They give a byte count without the
// terminator, but their texts are terminated in memory, and when the unit just past the count
// is a NUL the registry stores it too (Windows NT does this, and Wine with it).
std::vector<BYTE> sz(std::u16string_view text) {
    std::vector<BYTE> bytes = bytesOf(text);
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::os();
        platform::os().registry = &reg;
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, narrow16(kTestKey)));
        platform::os() = saved_;
    }
    RegistryKey create(const char16_t* path, bool* created = nullptr) {
        RegistryKey key = 0;
        bool isNew = false;
        EXPECT_TRUE(reg.createKey(RegistryRoot::CurrentUser, path, key, isNew));
        if (created) *created = isNew;
        return key;
    }

    win32::Win32Registry reg;
    platform::Platform saved_;
};

TEST_F(Win32RegistryTest, CreateTellsNewFromExistingAndMakesTheKeysAbove) {
    bool created = false;
    RegistryKey key = create(u"Software\\TouchSetupTest\\A\\B", &created);
    EXPECT_TRUE(created);
    reg.closeKey(key);
    key = create(u"software\\touchsetuptest\\a\\b", &created);
    EXPECT_FALSE(created);
    reg.closeKey(key);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, u"Software\\TouchSetupTest\\A"));

    EXPECT_FALSE(reg.openKey(RegistryRoot::CurrentUser, u"Software\\TouchSetupTest\\Missing",
                             KeyAccess::Read, key));
    EXPECT_FALSE(
        reg.openExistingKey(RegistryRoot::CurrentUser, u"Software\\TouchSetupTest\\Missing", key));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, u"Software\\TouchSetupTest\\Missing"));
}

TEST_F(Win32RegistryTest, StringsGoInWithoutTerminatorAndComeBackBounded) {
    RegistryKey key = create(u"Software\\TouchSetupTest");
    // Counted without a terminator and followed by none: stored exactly as counted.
    EXPECT_TRUE(reg.setString(key, u"Part", std::u16string_view(u"KorvelPanel", 6)));
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, u"Software\\TouchSetupTest", u"Part").bytes,
              bytesOf(u"Korvel"));
    EXPECT_TRUE(reg.setString(key, u"Path", u"C:\\Program Files\\x.exe"));
    EXPECT_TRUE(reg.setString(key, nullptr, u"default"));
    EXPECT_TRUE(reg.setDword(key, u"LanguageID", 1033));
    std::u16string fits(259, u'f'), full(260, u'f');
    EXPECT_TRUE(reg.setString(key, u"Fits", fits));
    EXPECT_TRUE(reg.setString(key, u"Full", full));
    reg.closeKey(key);

    RawValue path = rawValue(HKEY_CURRENT_USER, u"Software\\TouchSetupTest", u"Path");
    EXPECT_EQ(path.type, DWORD(REG_SZ));
    EXPECT_EQ(path.bytes, sz(u"C:\\Program Files\\x.exe"));
    RawValue language = rawValue(HKEY_CURRENT_USER, u"Software\\TouchSetupTest", u"LanguageID");
    EXPECT_EQ(language.type, DWORD(REG_DWORD));
    EXPECT_EQ(language.bytes, (std::vector<BYTE>{0x09, 0x04, 0, 0}));
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, u"Software\\TouchSetupTest", u"").bytes, sz(u"default"));

    ASSERT_TRUE(
        reg.openKey(RegistryRoot::CurrentUser, u"Software\\TouchSetupTest", KeyAccess::Read, key));
    TextBuffer text;
    EXPECT_TRUE(reg.queryString(key, u"PATH", text));
    EXPECT_EQ(viewOf(text), u"C:\\Program Files\\x.exe");
    EXPECT_TRUE(reg.queryString(key, u"Fits", text));
    EXPECT_EQ(viewOf(text), fits);
    EXPECT_FALSE(reg.queryString(key, u"Full", text));
    EXPECT_EQ(text[0], 0);
    EXPECT_FALSE(reg.queryString(key, u"LanguageID", text));
    EXPECT_FALSE(reg.queryString(key, u"Missing", text));
    // Opened for reading: nothing can be changed through it.
    EXPECT_FALSE(reg.setString(key, u"Path", u"changed"));
    EXPECT_FALSE(reg.deleteValue(key, u"Path"));
    reg.closeKey(key);
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, u"Software\\TouchSetupTest", u"Path").bytes,
              sz(u"C:\\Program Files\\x.exe"));
}

TEST_F(Win32RegistryTest, KeysWithSubkeysStayAndAnEmptySubkeyIsTheKeyItself) {
    reg.closeKey(create(u"Software\\TouchSetupTest\\A\\B"));
    RegistryKey parent = create(u"Software\\TouchSetupTest");
    EXPECT_FALSE(reg.deleteKey(parent, u"A"));
    EXPECT_TRUE(reg.deleteKey(parent, u"A\\B"));
    EXPECT_TRUE(reg.deleteKey(parent, u"a"));
    EXPECT_FALSE(reg.deleteKey(parent, u"A"));
    reg.closeKey(parent);

    RegistryKey leaf = create(u"Software\\TouchSetupTest\\Leaf");
    EXPECT_TRUE(reg.setString(leaf, u"v", u"x"));
    EXPECT_TRUE(reg.deleteValue(leaf, u"V"));
    EXPECT_FALSE(reg.deleteValue(leaf, u"v"));
    EXPECT_TRUE(reg.deleteKey(leaf, u""));
    reg.closeKey(leaf);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, u"Software\\TouchSetupTest\\Leaf"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, u"Software\\TouchSetupTest"));
}

TEST_F(Win32RegistryTest, ProductKeyIsWrittenReadAndRemovedFromItsRecord) {
    if (keyExists(HKEY_LOCAL_MACHINE, kDemoProductKeyPath)) GTEST_SKIP() << "product key present";
    ProductKeyValues values;
    values.keyPath = kDemoProductKeyPath;
    values.hasMainApp = true;
    values.company = u"Brenmark";
    values.mainAppPath = u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelServer.exe";
    values.language = 2052;
    values.serviceName = u"KorvelService";
    values.servicePath = u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelService.exe";
    std::vector<std::uint8_t> record;
    ASSERT_TRUE(writeProductKeyValues(values, &record));

    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, kDemoProductKeyPath, u"Company").bytes, sz(u"Brenmark"));
    RawValue language = rawValue(HKEY_LOCAL_MACHINE, kDemoProductKeyPath, u"LanguageID");
    EXPECT_EQ(language.type, DWORD(REG_DWORD));
    EXPECT_EQ(language.bytes, (std::vector<BYTE>{0x04, 0x08, 0, 0}));
    EXPECT_FALSE(
        rawValue(HKEY_LOCAL_MACHINE, kDemoProductKeyPath, u"MainServiceDescription").found);

    PreviousInstallation previous;
    ASSERT_TRUE(readPreviousInstallation(demoIdentity(), previous));
    EXPECT_TRUE(previous.hasServicePath);
    EXPECT_EQ(viewOf(previous.servicePath), values.servicePath);
    EXPECT_EQ(viewOf(previous.serviceName), u"KorvelService");

    LogRecord logged;
    logged.type = LOG_REGISTRY_KEY;
    logged.data = record;
    EXPECT_TRUE(removeKeyRecord(logged));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kDemoProductKeyPath));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, u"SOFTWARE"));
    EXPECT_FALSE(readPreviousInstallation(demoIdentity(), previous));
}

TEST_F(Win32RegistryTest, UninstallEntryIsWrittenAndRemoved) {
    const char16_t* name = u"TouchSetupTest Product";
    std::u16string key = std::u16string(kUninstallListPath) + u"\\" + name;
    ASSERT_FALSE(keyExists(HKEY_LOCAL_MACHINE, key));
    bool listExisted = keyExists(HKEY_LOCAL_MACHINE, kUninstallListPath);
    const char16_t* uninstaller = u"C:\\Program Files\\Brenmark\\Uninstall.exe";
    UninstallEntry entry;
    entry.name = name;
    entry.uninstallerPath = uninstaller;
    entry.publisher = u"Brenmark";
    entry.version = u"6.0.2";
    entry.installLocation = u"C:\\Program Files\\Brenmark";
    entry.estimatedSizeKb = 26757;
    ASSERT_TRUE(writeUninstallEntry(entry));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, u"DisplayIcon").bytes, sz(uninstaller));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, u"DisplayName").bytes, sz(name));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, u"Publisher").bytes, sz(u"Brenmark"));
    const std::u16string quoted = u"\"" + std::u16string(uninstaller) + u"\"";
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, u"UninstallString").bytes, sz(quoted));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, u"DisplayVersion").bytes, sz(u"6.0.2"));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, u"QuietUninstallString").bytes,
              sz(quoted + u" /S"));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, u"InstallLocation").bytes,
              sz(u"C:\\Program Files\\Brenmark"));
    // What Windows reads as numbers are REG_DWORDs.
    for (auto [value, number] : {std::pair{u"EstimatedSize", 26757u}, std::pair{u"NoModify", 1u},
                                 std::pair{u"NoRepair", 1u}}) {
        RawValue read = rawValue(HKEY_LOCAL_MACHINE, key, value);
        EXPECT_EQ(read.type, DWORD(REG_DWORD));
        EXPECT_EQ(read.bytes, (std::vector<BYTE>{BYTE(number), BYTE(number >> 8),
                                                 BYTE(number >> 16), BYTE(number >> 24)}));
    }
    EXPECT_TRUE(removeUninstallEntry(name));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_TRUE(removeUninstallEntry(name));
    EXPECT_FALSE(removeUninstallEntry(u""));
    if (!listExisted) RegDeleteKeyW(HKEY_LOCAL_MACHINE, wide(kUninstallListPath));
    EXPECT_EQ(keyExists(HKEY_LOCAL_MACHINE, kUninstallListPath), listExisted);
}

TEST_F(Win32RegistryTest, DesktopMenuEntryIsWrittenAndRemovedCommandFirst) {
    const char16_t* name = u"TouchSetupTest Menu";
    std::u16string key = std::u16string(kDesktopShellPath) + u"\\" + name;
    ASSERT_FALSE(keyExists(HKEY_CLASSES_ROOT, key));
    bool backgroundExisted = keyExists(HKEY_CLASSES_ROOT, u"DesktopBackground");
    bool shellExisted = keyExists(HKEY_CLASSES_ROOT, kDesktopShellPath);
    const char16_t* target = u"C:\\Program Files\\Brenmark\\KorvelPanel.exe";

    ASSERT_TRUE(writeDesktopMenu(target, name));
    EXPECT_EQ(rawValue(HKEY_CLASSES_ROOT, key, u"Icon").bytes, sz(target));
    RawValue position = rawValue(HKEY_CLASSES_ROOT, key, u"Position");
    EXPECT_EQ(position.type, DWORD(REG_SZ));
    EXPECT_EQ(position.bytes, sz(u"Bottom"));
    EXPECT_EQ(rawValue(HKEY_CLASSES_ROOT, key + u"\\command", u"").bytes,
              sz(u"\"" + std::u16string(target) + u"\""));

    EXPECT_TRUE(removeDesktopMenu(name));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, key));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kDesktopShellPath));
    EXPECT_FALSE(removeDesktopMenu(u""));
    EXPECT_TRUE(keyExists(HKEY_CLASSES_ROOT, kDesktopShellPath));

    if (!shellExisted) RegDeleteKeyW(HKEY_CLASSES_ROOT, wide(kDesktopShellPath));
    if (!backgroundExisted) RegDeleteKeyW(HKEY_CLASSES_ROOT, L"DesktopBackground");
    EXPECT_EQ(keyExists(HKEY_CLASSES_ROOT, kDesktopShellPath), shellExisted);
    EXPECT_EQ(keyExists(HKEY_CLASSES_ROOT, u"DesktopBackground"), backgroundExisted);
}

TEST_F(Win32RegistryTest, RunEntryIsQuotedAndRemovedByItsUnquotedLegacyCommandToo) {
    bool runExisted = keyExists(HKEY_CURRENT_USER, kRunKeyPath);
    if (!runExisted) {
        HKEY run = nullptr;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, wide(kRunKeyPath), &run), ERROR_SUCCESS);
        RegCloseKey(run);
    }
    ASSERT_FALSE(rawValue(HKEY_CURRENT_USER, kRunKeyPath, u"TouchSetupTestPanel").found);
    TextBuffer command;
    ASSERT_TRUE(runCommandFor(u"C:\\Program Files\\Brenmark\\TouchSetupTestPanel.exe", command));
    ASSERT_TRUE(writeRunEntry(command));
    RawValue stored = rawValue(HKEY_CURRENT_USER, kRunKeyPath, u"TouchSetupTestPanel");
    EXPECT_EQ(stored.type, DWORD(REG_SZ));
    EXPECT_EQ(stored.bytes, sz(u"\"C:\\Program Files\\Brenmark\\TouchSetupTestPanel.exe\" -h"));

    EXPECT_TRUE(removeRunEntry(u"C:\\Program Files\\Brenmark\\TouchSetupTestPanel.exe -h"));
    EXPECT_FALSE(rawValue(HKEY_CURRENT_USER, kRunKeyPath, u"TouchSetupTestPanel").found);
    EXPECT_FALSE(removeRunEntry(command));

    if (!runExisted) RegDeleteKeyW(HKEY_CURRENT_USER, wide(kRunKeyPath));
    EXPECT_EQ(keyExists(HKEY_CURRENT_USER, kRunKeyPath), runExisted);
}

}  // namespace
