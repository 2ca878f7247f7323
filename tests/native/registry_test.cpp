// The installation's registry records against the fake registry: exact names, types and bytes,
// the order of the calls, and what every failure leaves behind.
#include <gtest/gtest.h>

#include <functional>

#include "engine/RegistryDesktopMenu.h"
#include "engine/RegistryKeyRecord.h"
#include "engine/RegistryPaths.h"
#include "engine/RegistryProductKey.h"
#include "engine/RegistryRunEntry.h"
#include "engine/RegistryUninstallEntry.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FaultPlan.h"
#include "tests/support/PackageFixture.h"
#include "tests/support/ShippedPackage.h"

using fake::FakeRegistry;
using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr auto HKCU = RegistryRoot::CurrentUser;
constexpr auto HKCR = RegistryRoot::ClassesRoot;

const char16_t kPanel[] = u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe";
const char16_t kQuotedPanelCommand[] =
    u"\"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe\" -h";
const char16_t kLegacyPanelCommand[] =
    u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe -h";
const char16_t kUninstaller[] = u"C:\\Program Files\\Brenmark\\KorvelServerV6\\Uninstall.exe";

FakeRegistry::Value sz(std::u16string_view text) {
    return FakeRegistry::stringValue(text);
}

std::u16string uninstallKey(std::u16string_view name) {
    return std::u16string(kUninstallListPath) + u"\\" + std::u16string(name);
}

std::u16string menuKey(std::u16string_view name) {
    return std::u16string(kDesktopShellPath) + u"\\" + std::u16string(name);
}

LogRecord keyRecord(std::vector<std::uint8_t> data) {
    LogRecord record;
    record.type = LOG_REGISTRY_KEY;
    record.data = std::move(data);
    return record;
}

// The registry calls traced since the last clear, without their details.
std::vector<std::string> operations() {
    std::vector<std::string> out;
    for (const std::string& line : fake::faults().trace())
        out.push_back(line.substr(0, line.find(' ')));
    return out;
}

class RegistryRecords : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::os();
        platform::os().registry = &reg;
        fake::faults().clear();
    }
    void TearDown() override {
        EXPECT_EQ(reg.openKeys(), 0u) << "a key was left open";
        platform::os() = saved_;
        fake::faults().clear();
    }

    // Runs `action` once cleanly to count its calls, then once per call with that call failing,
    // each time on a registry prepared by `prepare`; `check` sees the result, the registry
    // before, and which call failed.
    void failEachCallInTurn(
        const std::function<void()>& prepare, const std::function<bool()>& action,
        const std::function<void(bool, const FakeRegistry::Snapshot&, const std::string&)>& check) {
        reg = FakeRegistry();
        prepare();
        fake::faults().clear();
        ASSERT_TRUE(action());
        int calls = fake::faults().calls();
        ASSERT_GT(calls, 0);
        for (int n = 1; n <= calls; ++n) {
            reg = FakeRegistry();
            prepare();
            auto before = reg.snapshot();
            fake::faults().clear();
            fake::faults().failCallNumber(n);
            bool result = action();
            ASSERT_TRUE(fake::faults().injected()) << "call " << n;
            std::string failed = fake::faults().trace()[n - 1];
            failed = failed.substr(0, failed.find(" -> "));
            check(result, before, failed);
            EXPECT_EQ(reg.openKeys(), 0u) << failed;
        }
        fake::faults().clear();
    }

    FakeRegistry reg;
    platform::Platform saved_;
};

ProductKeyValues fullProductValues() {
    ProductKeyValues values;
    values.keyPath = kDemoProductKeyPath;
    values.hasMainApp = true;
    values.company = u"Brenmark";
    values.mainAppPath = u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelServer.exe";
    values.language = 1033;
    values.serviceName = u"KorvelService";
    values.servicePath = u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelService.exe";
    values.serviceDescription = u"Touch frame service";
    return values;
}

// --- Product key ---------------------------------------------------------------------------

TEST_F(RegistryRecords, ALongServiceDescriptionIsWrittenWhole) {
    // Descriptions have no length limit in the install script: the value must not be cut to a
    // path buffer's size.
    std::u16string description(300, u'd');
    ProductKeyValues values = fullProductValues();
    values.serviceDescription = description.c_str();
    ASSERT_TRUE(writeProductKeyValues(values, nullptr));
    EXPECT_EQ(reg.value(HKLM, u"SOFTWARE\\KorvelServerV5", u"MainServiceDescription"),
              sz(description));
}

TEST_F(RegistryRecords, ProductKeyHoldsEveryValueWithItsTypeInOrderAndGivesItsLogRecord) {
    std::vector<std::uint8_t> record;
    ASSERT_TRUE(writeProductKeyValues(fullProductValues(), &record));

    const char16_t* key = u"SOFTWARE\\KorvelServerV5";
    EXPECT_EQ(reg.value(HKLM, key, u"Company"), sz(u"Brenmark"));
    EXPECT_EQ(reg.value(HKLM, key, u"MainAppPath"),
              sz(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelServer.exe"));
    EXPECT_EQ(reg.value(HKLM, key, u"LanguageID"),
              (FakeRegistry::Value{platform::kRegDword, {0x09, 0x04, 0, 0}}));
    EXPECT_EQ(reg.value(HKLM, key, u"MainServiceName"), sz(u"KorvelService"));
    EXPECT_EQ(reg.value(HKLM, key, u"MainServicePath"),
              sz(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelService.exe"));
    EXPECT_EQ(reg.value(HKLM, key, u"MainServiceDescription"), sz(u"Touch frame service"));
    // REG_SZ data carries no terminator: 8 units of "Brenmark" are 16 bytes.
    EXPECT_EQ(reg.value(HKLM, key, u"Company")->bytes.size(), 16u);

    std::vector<std::string> expected = {
        "createKey HKLM\\SOFTWARE\\KorvelServerV5",
        "setString HKLM\\SOFTWARE\\KorvelServerV5 Company",
        "setString HKLM\\SOFTWARE\\KorvelServerV5 MainAppPath",
        "setDword HKLM\\SOFTWARE\\KorvelServerV5 LanguageID",
        "setString HKLM\\SOFTWARE\\KorvelServerV5 MainServiceName",
        "setString HKLM\\SOFTWARE\\KorvelServerV5 MainServicePath",
        "setString HKLM\\SOFTWARE\\KorvelServerV5 MainServiceDescription",
        "closeKey HKLM\\SOFTWARE\\KorvelServerV5"};
    EXPECT_EQ(fake::faults().trace(), expected);

    std::vector<std::uint8_t> expectedRecord = {0x02, 0x00, 0x00, 0x80};
    for (char16_t c : std::u16string_view(u"SOFTWARE\\KorvelServerV5")) {
        expectedRecord.push_back(std::uint8_t(c));
        expectedRecord.push_back(0);
    }
    expectedRecord.insert(expectedRecord.end(), {0, 0});
    EXPECT_EQ(record, expectedRecord);
}

TEST_F(RegistryRecords, ProductKeyWithoutMainAppIsCreatedEmptyAndStillLogged) {
    ProductKeyValues values = fullProductValues();
    values.hasMainApp = false;
    std::vector<std::uint8_t> record;
    ASSERT_TRUE(writeProductKeyValues(values, &record));
    auto snapshot = reg.snapshot();
    ASSERT_EQ(snapshot.count(u"HKLM\\SOFTWARE\\KorvelServerV5"), 1u);
    EXPECT_TRUE(snapshot[u"HKLM\\SOFTWARE\\KorvelServerV5"].empty());
    EXPECT_FALSE(record.empty());
    EXPECT_TRUE(removeKeyRecord(keyRecord(record)));
    EXPECT_FALSE(reg.hasKey(HKLM, u"SOFTWARE\\KorvelServerV5"));
}

TEST_F(RegistryRecords, ProductKeyLeavesOutWhatTheServiceDoesNotHave) {
    ProductKeyValues values = fullProductValues();
    values.serviceDescription = nullptr;
    ASSERT_TRUE(writeProductKeyValues(values, nullptr));
    EXPECT_TRUE(reg.value(HKLM, kDemoProductKeyPath, u"MainServicePath"));
    EXPECT_FALSE(reg.value(HKLM, kDemoProductKeyPath, u"MainServiceDescription"));

    reg = FakeRegistry();
    values.serviceName = nullptr;
    ASSERT_TRUE(writeProductKeyValues(values, nullptr));
    EXPECT_EQ(reg.snapshot()[u"HKLM\\SOFTWARE\\KorvelServerV5"].size(), 3u);
    EXPECT_FALSE(reg.value(HKLM, kDemoProductKeyPath, u"MainServiceName"));
}

TEST_F(RegistryRecords, ProductKeyFailsOnlyWhenTheKeyCannotBeCreated) {
    failEachCallInTurn(
        [] {}, [] { return writeProductKeyValues(fullProductValues(), nullptr); },
        [&](bool result, const FakeRegistry::Snapshot& before, const std::string& failed) {
            if (failed.starts_with("createKey")) {
                EXPECT_FALSE(result);
                EXPECT_EQ(reg.snapshot(), before);
                return;
            }
            // A value that could not be set is missing; the key and every other value are there.
            EXPECT_TRUE(result) << failed;
            auto values = reg.snapshot()[u"HKLM\\SOFTWARE\\KorvelServerV5"];
            std::size_t expected = failed.starts_with("closeKey") ? 6u : 5u;
            EXPECT_EQ(values.size(), expected) << failed;
        });

    reg = FakeRegistry();
    fake::faults().failOperation("createKey");
    std::vector<std::uint8_t> record{1, 2, 3};
    EXPECT_FALSE(writeProductKeyValues(fullProductValues(), &record));
    EXPECT_EQ(record, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(RegistryRecords, ProductKeyTakesItsValuesFromTheInstallConfiguration) {
    testpkg::LoadedConfig package;
    ASSERT_TRUE(package.load(testpkg::shippedPackage()));
    ASSERT_TRUE(
        copyText(package.tree().targetPath, u"C:\\Program Files\\Brenmark\\KorvelServerV6"));
    package.config.worker.language = 2052;
    std::vector<std::uint8_t> record;
    ASSERT_TRUE(writeProductKey(package.config, &record));

    const std::u16string service =
        u"C:\\Program Files\\Brenmark\\KorvelServerV6\\VantrelService.exe";
    auto values = reg.snapshot()[u"HKLM\\SOFTWARE\\KorvelServerV5"];
    EXPECT_EQ(values.size(), 6u);
    EXPECT_EQ(values[u"Company"], sz(u"Brenmark"));
    EXPECT_EQ(values[u"MainAppPath"], sz(service));
    EXPECT_EQ(values[u"LanguageID"], FakeRegistry::dwordValue(2052));
    EXPECT_EQ(values[u"MainServiceName"], sz(u"VantrelService"));
    EXPECT_EQ(values[u"MainServicePath"], sz(service));
    EXPECT_EQ(values[u"MainServiceDescription"],
              sz(u"Servicing interface for Brenmark Korvel Multitouch Device"));
    EXPECT_EQ(record, keyRecordOf(HKLM, kDemoProductKeyPath));
}

TEST_F(RegistryRecords, ProductKeyFromAConfigurationLeavesOutWhatItLacks) {
    testpkg::LoadedConfig package;
    ASSERT_TRUE(package.load(testpkg::shippedPackage()));
    // A folder so long that no target path fits: the paths are left out, never cut.
    ASSERT_TRUE(copyText(package.tree().targetPath, u"C:\\" + std::u16string(245, u'f')));
    char16_t* description = package.config.services->description;
    package.config.services->description = nullptr;
    ASSERT_TRUE(writeProductKey(package.config, nullptr));
    package.config.services->description = description;
    auto values = reg.snapshot()[u"HKLM\\SOFTWARE\\KorvelServerV5"];
    EXPECT_EQ(values.size(), 3u);
    EXPECT_EQ(
        values.count(u"Company") + values.count(u"LanguageID") + values.count(u"MainServiceName"),
        3u);

    reg = FakeRegistry();
    package.config.mainApp = nullptr;
    ASSERT_TRUE(writeProductKey(package.config, nullptr));
    EXPECT_TRUE(reg.snapshot()[u"HKLM\\SOFTWARE\\KorvelServerV5"].empty());
}

TEST_F(RegistryRecords, PreviousInstallationIsReadBackReadOnlyAndBounded) {
    PreviousInstallation previous;
    EXPECT_FALSE(readPreviousInstallation(demoIdentity(), previous));

    ASSERT_TRUE(writeProductKeyValues(fullProductValues(), nullptr));
    fake::faults().clear();
    ASSERT_TRUE(readPreviousInstallation(demoIdentity(), previous));
    EXPECT_TRUE(previous.hasServicePath);
    EXPECT_EQ(viewOf(previous.servicePath),
              u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelService.exe");
    EXPECT_TRUE(previous.hasServiceName);
    EXPECT_EQ(viewOf(previous.serviceName), u"KorvelService");
    // Read access only: the product key of an earlier version is never changed while looking.
    EXPECT_EQ(fake::faults().trace()[0], "openKey HKLM\\SOFTWARE\\KorvelServerV5 (read)");
    EXPECT_EQ(operations(),
              (std::vector<std::string>{"openKey", "queryString", "queryString", "closeKey"}));

    // A stored path of 260 units has no room for its terminator: absent, not cut.
    reg.putValue(HKLM, kDemoProductKeyPath, u"MainServicePath", sz(std::u16string(260, u'p')));
    reg.putValue(HKLM, kDemoProductKeyPath, u"MainServiceName", FakeRegistry::dwordValue(5));
    ASSERT_TRUE(readPreviousInstallation(demoIdentity(), previous));
    EXPECT_FALSE(previous.hasServicePath);
    EXPECT_EQ(previous.servicePath[0], 0);
    EXPECT_FALSE(previous.hasServiceName);
}

// Another product's identity names another key: writing and looking for a previous
// installation never reach the demo product's key, nor the other way round.
TEST_F(RegistryRecords, EachProductHasTheKeyItsIdentityNames) {
    testpkg::LoadedConfig package;
    ASSERT_TRUE(package.load(testpkg::shippedPackage()));
    ASSERT_TRUE(
        copyText(package.tree().targetPath, u"C:\\Program Files\\Brenmark\\KorvelServerV6"));
    ProductIdentity orbis;
    copyText(orbis.settingsKey, u"Orbis OrbisTouch");
    copyText(orbis.dataFolder, u"Orbis OrbisTouch");
    package.config.identity = orbis;
    reg.addKey(HKLM, kDemoProductKeyPath);
    reg.putValue(HKLM, kDemoProductKeyPath, u"MainServiceName", sz(u"VantrelService"));
    auto demoKey = reg.snapshot()[u"HKLM\\SOFTWARE\\KorvelServerV5"];

    std::vector<std::uint8_t> record;
    ASSERT_TRUE(writeProductKey(package.config, &record));
    EXPECT_EQ(record, keyRecordOf(HKLM, u"SOFTWARE\\Orbis OrbisTouch"));
    EXPECT_EQ(reg.snapshot()[u"HKLM\\SOFTWARE\\Orbis OrbisTouch"].size(), 6u);
    EXPECT_EQ(reg.snapshot()[u"HKLM\\SOFTWARE\\KorvelServerV5"], demoKey);

    PreviousInstallation previous;
    ASSERT_TRUE(readPreviousInstallation(orbis, previous));
    EXPECT_EQ(viewOf(previous.serviceName), u"VantrelService");  // its own service
    EXPECT_EQ(viewOf(previous.servicePath),
              u"C:\\Program Files\\Brenmark\\KorvelServerV6\\VantrelService.exe");
    reg = FakeRegistry();
    reg.putValue(HKLM, kDemoProductKeyPath, u"MainServicePath", sz(u"C:\\x\\VantrelService.exe"));
    EXPECT_FALSE(readPreviousInstallation(orbis, previous));

    // A settings key that is no plain name (or names a path) is never written nor read.
    copyText(package.config.identity.settingsKey, u"..\\Microsoft");
    EXPECT_FALSE(writeProductKey(package.config, nullptr));
    EXPECT_FALSE(readPreviousInstallation(package.config.identity, previous));
}

// --- Logged keys -------------------------------------------------------------------------------

TEST_F(RegistryRecords, LoggedKeyRemovalDeletesTheLeafBelowItsParent) {
    // The record is the one the log itself would make for the key.
    UninstallLog log;
    appendRegistryKey(log, 0x80000002u, kDemoProductKeyPath);
    ASSERT_NE(log.first, nullptr);
    EXPECT_EQ(keyRecordOf(HKLM, kDemoProductKeyPath), log.first->data);

    reg.addKey(HKLM, kDemoProductKeyPath);
    fake::faults().clear();
    EXPECT_TRUE(removeKeyRecord(*log.first));
    EXPECT_FALSE(reg.hasKey(HKLM, kDemoProductKeyPath));
    EXPECT_TRUE(reg.hasKey(HKLM, u"SOFTWARE"));
    EXPECT_EQ(fake::faults().trace()[0], "openKey HKLM\\SOFTWARE");
    EXPECT_EQ(fake::faults().trace()[1], "deleteKey HKLM\\SOFTWARE\\KorvelServerV5");

    // Gone already, or holding a subkey: nothing is deleted.
    EXPECT_FALSE(removeKeyRecord(*log.first));
    reg.addKey(HKLM, u"SOFTWARE\\KorvelServerV5\\Sub");
    EXPECT_FALSE(removeKeyRecord(*log.first));
    EXPECT_TRUE(reg.hasKey(HKLM, u"SOFTWARE\\KorvelServerV5\\Sub"));
}

TEST_F(RegistryRecords, DamagedKeyRecordsAreRefusedRatherThanCut) {
    // A path of 300 units whose first 259 name a real key: a cut would delete that key.
    std::u16string cutPath = u"SOFTWARE\\" + std::u16string(250, u'x');
    reg.addKey(HKLM, cutPath);
    std::vector<std::uint8_t> data = keyRecordOf(HKLM, cutPath);
    data.resize(data.size() - 2);
    for (int i = 0; i < 41; ++i) data.insert(data.end(), {'x', 0});
    data.insert(data.end(), {0, 0});
    EXPECT_FALSE(removeKeyRecord(keyRecord(data)));
    EXPECT_TRUE(reg.hasKey(HKLM, cutPath));
    EXPECT_TRUE(keyRecordOf(HKLM, u"SOFTWARE\\" + std::u16string(251, u'x')).empty());

    reg.addKey(HKLM, kDemoProductKeyPath);
    std::vector<std::uint8_t> good = keyRecordOf(HKLM, kDemoProductKeyPath);
    std::vector<std::uint8_t> unknownRoot = good;
    unknownRoot[0] = 0x07;
    EXPECT_FALSE(removeKeyRecord(keyRecord(unknownRoot)));
    EXPECT_FALSE(removeKeyRecord(keyRecord({0x02, 0x00, 0x00})));
    EXPECT_FALSE(removeKeyRecord(keyRecord({0x02, 0x00, 0x00, 0x80, 0, 0})));
    EXPECT_FALSE(
        removeKeyRecord(keyRecord(std::vector<std::uint8_t>(good.begin(), good.end() - 2))));
    EXPECT_EQ(fake::faults().calls(), 0);
    EXPECT_TRUE(reg.hasKey(HKLM, kDemoProductKeyPath));
    EXPECT_TRUE(removeKeyRecord(keyRecord(good)));
    EXPECT_FALSE(reg.hasKey(HKLM, kDemoProductKeyPath));
}

// --- Uninstall entry -------------------------------------------------------------------------

const char16_t kProductFolder[] = u"C:\\Program Files\\Brenmark\\KorvelServerV6";

UninstallEntry entryOf(const char16_t* name, const char16_t* uninstaller = kUninstaller) {
    UninstallEntry entry;
    entry.name = name;
    entry.uninstallerPath = uninstaller;
    entry.publisher = u"Brenmark";
    entry.version = u"6.0.2";
    entry.installLocation = kProductFolder;
    entry.estimatedSizeKb = 26757;
    return entry;
}

TEST_F(RegistryRecords, UninstallEntryHoldsWhatWindowsAndDeploymentToolsReadInOrder) {
    ASSERT_TRUE(writeUninstallEntry(entryOf(u"KorvelServerV6")));
    std::u16string key = uninstallKey(u"KorvelServerV6");
    EXPECT_EQ(reg.value(HKLM, key, u"DisplayIcon"), sz(kUninstaller));
    EXPECT_EQ(reg.value(HKLM, key, u"DisplayName"), sz(u"KorvelServerV6"));
    EXPECT_EQ(reg.value(HKLM, key, u"Publisher"), sz(u"Brenmark"));
    // The launch strings are quoted, as every command line is; the icon path is a path, not a
    // command, and stays as it was.
    const std::u16string quoted = u"\"" + std::u16string(kUninstaller) + u"\"";
    EXPECT_EQ(reg.value(HKLM, key, u"UninstallString"), sz(quoted));
    EXPECT_EQ(reg.value(HKLM, key, u"DisplayVersion"), sz(u"6.0.2"));
    EXPECT_EQ(reg.value(HKLM, key, u"QuietUninstallString"), sz(quoted + u" /S"));
    EXPECT_EQ(reg.value(HKLM, key, u"InstallLocation"), sz(kProductFolder));
    EXPECT_EQ(reg.value(HKLM, key, u"EstimatedSize"), FakeRegistry::dwordValue(26757));
    EXPECT_EQ(reg.value(HKLM, key, u"NoModify"), FakeRegistry::dwordValue(1));
    EXPECT_EQ(reg.value(HKLM, key, u"NoRepair"), FakeRegistry::dwordValue(1));
    EXPECT_EQ(operations(),
              (std::vector<std::string>{"createKey", "setString", "setString", "setString",
                                        "setString", "setString", "setString", "setString",
                                        "setDword", "setDword", "setDword", "closeKey"}));
    EXPECT_EQ(fake::faults().trace()[0],
              "createKey HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
              "KorvelServerV6");

    // Without a version (a package from before product identities) DisplayVersion is left out.
    reg = FakeRegistry();
    UninstallEntry unversioned = entryOf(u"KorvelServerV6");
    unversioned.version = u"";
    ASSERT_TRUE(writeUninstallEntry(unversioned));
    EXPECT_FALSE(reg.value(HKLM, key, u"DisplayVersion"));
    EXPECT_TRUE(reg.value(HKLM, key, u"NoRepair"));
}

TEST_F(RegistryRecords, UninstallEntryStopsAtTheFirstValueThatFails) {
    const char16_t* order[] = {u"DisplayIcon",     u"DisplayName",    u"Publisher",
                               u"UninstallString", u"DisplayVersion", u"QuietUninstallString",
                               u"InstallLocation", u"EstimatedSize",  u"NoModify",
                               u"NoRepair"};
    failEachCallInTurn(
        [] {}, [] { return writeUninstallEntry(entryOf(u"KorvelServerV6")); },
        [&](bool result, const FakeRegistry::Snapshot& before, const std::string& failed) {
            if (failed.starts_with("closeKey")) {
                EXPECT_TRUE(result);
                return;
            }
            EXPECT_FALSE(result) << failed;
            if (failed.starts_with("createKey")) {
                EXPECT_EQ(reg.snapshot(), before);
                return;
            }
            // Values before the failed one are there, none after it.
            bool reached = false;
            for (const char16_t* name : order) {
                bool isFailed = failed.ends_with(" " + utf16ToUtf8(name));
                reached = reached || isFailed;
                EXPECT_EQ(reg.value(HKLM, uninstallKey(u"KorvelServerV6"), name).has_value(),
                          !reached)
                    << failed;
            }
        });
}

TEST_F(RegistryRecords, UninstallEntryRefusesNamesAndTextsThatDoNotFit) {
    // 51 units of key path, a backslash and 208 of name make 260: one too many.
    std::u16string name(208, u'n');
    EXPECT_FALSE(writeUninstallEntry(entryOf(name.c_str())));
    EXPECT_FALSE(writeUninstallEntry(entryOf(u"")));
    std::u16string longPath(260, u'p');
    EXPECT_FALSE(writeUninstallEntry(entryOf(u"KorvelServerV6", longPath.c_str())));
    UninstallEntry longLocation = entryOf(u"KorvelServerV6");
    longLocation.installLocation = longPath.c_str();
    EXPECT_FALSE(writeUninstallEntry(longLocation));
    EXPECT_EQ(fake::faults().calls(), 0);
    name.pop_back();
    EXPECT_TRUE(writeUninstallEntry(entryOf(name.c_str())));
    EXPECT_TRUE(reg.hasKey(HKLM, uninstallKey(name)));
}

TEST_F(RegistryRecords, UninstallEntryRemovalIgnoresMissingEntriesButNeverTakesTheList) {
    ASSERT_TRUE(writeUninstallEntry(entryOf(u"KorvelServerV6")));
    EXPECT_TRUE(removeUninstallEntry(u"korvelserverv6"));
    EXPECT_FALSE(reg.hasKey(HKLM, uninstallKey(u"KorvelServerV6")));
    auto before = reg.snapshot();
    EXPECT_TRUE(removeUninstallEntry(u"KorvelServerV6"));
    // The list has no subkeys now, so an empty name would delete the list itself.
    EXPECT_FALSE(removeUninstallEntry(u""));
    EXPECT_EQ(reg.snapshot(), before);
    EXPECT_TRUE(reg.hasKey(HKLM, kUninstallListPath));
}

// --- Desktop context menu --------------------------------------------------------------------

TEST_F(RegistryRecords, DesktopMenuEntryHoldsIconPositionAndCommand) {
    ASSERT_TRUE(writeDesktopMenu(kPanel, u"Korvel Panel"));
    std::u16string key = menuKey(u"Korvel Panel");
    EXPECT_EQ(reg.value(HKCR, key, u"Icon"), sz(kPanel));
    auto position = reg.value(HKCR, key, u"Position");
    ASSERT_TRUE(position);
    EXPECT_EQ(position->type, platform::kRegSz);
    EXPECT_EQ(position->bytes,
              (std::vector<std::uint8_t>{'B', 0, 'o', 0, 't', 0, 't', 0, 'o', 0, 'm', 0}));
    EXPECT_EQ(reg.value(HKCR, key + u"\\command", u""), sz(u"\"" + std::u16string(kPanel) + u"\""));
    EXPECT_EQ(reg.snapshot()[u"HKCR\\DesktopBackground\\Shell\\Korvel Panel\\command"].size(), 1u);
    EXPECT_EQ(fake::faults().trace()[0], "createKey HKCR\\DesktopBackground\\Shell\\Korvel Panel");
}

TEST_F(RegistryRecords, AFailedDesktopMenuEntryLeavesNothingBehind) {
    failEachCallInTurn(
        [] {}, [] { return writeDesktopMenu(kPanel, u"Korvel Panel"); },
        [&](bool result, const FakeRegistry::Snapshot& before, const std::string& failed) {
            if (failed.starts_with("closeKey")) {
                EXPECT_TRUE(result);
                EXPECT_TRUE(reg.hasKey(HKCR, menuKey(u"Korvel Panel") + u"\\command"));
                return;
            }
            EXPECT_FALSE(result) << failed;
            EXPECT_EQ(reg.snapshot(), before) << failed;
        });
}

TEST_F(RegistryRecords, AFailedDesktopMenuEntryKeepsAnEntryThatWasThereBefore) {
    auto prepare = [&] {
        reg.putValue(HKCR, menuKey(u"Korvel Panel"), u"Icon", sz(u"C:\\old.exe"));
    };
    failEachCallInTurn(
        prepare, [] { return writeDesktopMenu(kPanel, u"Korvel Panel"); },
        [&](bool result, const FakeRegistry::Snapshot&, const std::string& failed) {
            EXPECT_TRUE(reg.hasKey(HKCR, menuKey(u"Korvel Panel"))) << failed;
            if (!result) {
                EXPECT_FALSE(reg.hasKey(HKCR, menuKey(u"Korvel Panel") + u"\\command")) << failed;
            }
        });
}

TEST_F(RegistryRecords, DesktopMenuRefusesKeyPathsThatDoNotFit) {
    // "DesktopBackground\Shell\" is 24 units and "\command" 8 more: a 227-unit name fits.
    std::u16string name(228, u'n');
    EXPECT_FALSE(writeDesktopMenu(kPanel, name.c_str()));
    EXPECT_FALSE(writeDesktopMenu(kPanel, u""));
    EXPECT_FALSE(writeDesktopMenu(std::u16string(260, u'p').c_str(), u"Korvel Panel"));
    EXPECT_EQ(fake::faults().calls(), 0);
    name.pop_back();
    EXPECT_TRUE(writeDesktopMenu(kPanel, name.c_str()));
    EXPECT_TRUE(removeDesktopMenu(name.c_str()));
    EXPECT_FALSE(reg.hasKey(HKCR, menuKey(name)));
}

TEST_F(RegistryRecords, DesktopMenuRemovalDeletesCommandThenEntry) {
    ASSERT_TRUE(writeDesktopMenu(kPanel, u"Korvel Panel"));
    fake::faults().clear();
    EXPECT_TRUE(removeDesktopMenu(u"Korvel Panel"));
    EXPECT_FALSE(reg.hasKey(HKCR, menuKey(u"Korvel Panel")));
    EXPECT_TRUE(reg.hasKey(HKCR, kDesktopShellPath));
    std::vector<std::string> expected = {
        "openKey HKCR\\DesktopBackground\\Shell\\Korvel Panel",
        "deleteKey HKCR\\DesktopBackground\\Shell\\Korvel Panel\\command",
        "closeKey HKCR\\DesktopBackground\\Shell\\Korvel Panel",
        "openKey HKCR\\DesktopBackground\\Shell",
        "deleteKey HKCR\\DesktopBackground\\Shell\\Korvel Panel",
        "closeKey HKCR\\DesktopBackground\\Shell"};
    EXPECT_EQ(fake::faults().trace(), expected);

    auto before = reg.snapshot();
    EXPECT_TRUE(removeDesktopMenu(u"Korvel Panel"));
    // An empty name would open the Shell key itself and delete it.
    EXPECT_FALSE(removeDesktopMenu(u""));
    EXPECT_EQ(reg.snapshot(), before);
}

TEST_F(RegistryRecords, DesktopMenuNameWithADotIsRemovedByThePartBeforeIt) {
    ASSERT_TRUE(writeDesktopMenu(kPanel, u"Korvel.Touch"));
    EXPECT_TRUE(reg.hasKey(HKCR, menuKey(u"Korvel.Touch") + u"\\command"));
    EXPECT_TRUE(removeDesktopMenu(u"Korvel.Touch"));
    EXPECT_TRUE(reg.hasKey(HKCR, menuKey(u"Korvel.Touch") + u"\\command"));
}

// --- Run entries -----------------------------------------------------------------------------

TEST_F(RegistryRecords, RunCommandQuotesTheProgramAndKeepsTheArgumentOutside) {
    TextBuffer command;
    ASSERT_TRUE(runCommandFor(kPanel, command));
    EXPECT_EQ(viewOf(command), kQuotedPanelCommand);
    // 254 units of path, two quotes and " -h" make 259.
    std::u16string path = u"C:\\" + std::u16string(251, u'p');
    EXPECT_TRUE(runCommandFor(path, command));
    EXPECT_FALSE(runCommandFor(path + u"p", command));
    EXPECT_EQ(command[0], 0);
}

TEST_F(RegistryRecords, RunValueIsNamedAsTheUnquotedCommandAlwaysWas) {
    for (std::u16string path : {std::u16string(kPanel), std::u16string(u"C:\\a.b\\Tool.v2.exe"),
                                std::u16string(u"C:\\Program Files\\Co\\NoExtension"),
                                std::u16string(u"D:\\x y\\z.exe")}) {
        TextBuffer command, quotedName, legacyName;
        ASSERT_TRUE(runCommandFor(path, command));
        std::u16string legacy = path + u" -h";
        ASSERT_TRUE(runValueNameOf(viewOf(command), quotedName));
        ASSERT_TRUE(runValueNameOf(legacy, legacyName));
        EXPECT_EQ(viewOf(quotedName), stemOf(legacy));
        EXPECT_EQ(viewOf(legacyName), stemOf(legacy));
    }
    TextBuffer name;
    ASSERT_TRUE(runValueNameOf(kQuotedPanelCommand, name));
    EXPECT_EQ(viewOf(name), u"KorvelPanel");
    EXPECT_FALSE(runValueNameOf(u"", name));
    EXPECT_FALSE(runValueNameOf(u"C:\\dir\\", name));
}

TEST_F(RegistryRecords, RunEntryIsStoredQuotedUnderTheProgramsName) {
    ASSERT_TRUE(writeRunEntry(kQuotedPanelCommand));
    EXPECT_EQ(reg.value(HKCU, kRunKeyPath, u"KorvelPanel"), sz(kQuotedPanelCommand));
    EXPECT_EQ(reg.value(HKCU, kRunKeyPath, u"KorvelPanel")->bytes.size(),
              2 * std::u16string_view(kQuotedPanelCommand).size());
    EXPECT_EQ(operations(), (std::vector<std::string>{"openExistingKey", "setString", "closeKey"}));
    EXPECT_EQ(reg.snapshot()[u"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"].size(),
              1u);
}

TEST_F(RegistryRecords, RunEntryRemovalFindsQuotedAndLegacyValues) {
    // Written by this version, removed through its own log record.
    ASSERT_TRUE(writeRunEntry(kQuotedPanelCommand));
    EXPECT_TRUE(removeRunEntry(kQuotedPanelCommand));
    EXPECT_FALSE(reg.value(HKCU, kRunKeyPath, u"KorvelPanel"));

    // Written unquoted by an earlier version and removed through that version's log.
    reg.putValue(HKCU, kRunKeyPath, u"KorvelPanel", sz(kLegacyPanelCommand));
    EXPECT_TRUE(removeRunEntry(kLegacyPanelCommand));
    EXPECT_FALSE(reg.value(HKCU, kRunKeyPath, u"KorvelPanel"));

    // Either record finds either value: they share one name.
    reg.putValue(HKCU, kRunKeyPath, u"KorvelPanel", sz(kLegacyPanelCommand));
    EXPECT_TRUE(removeRunEntry(kQuotedPanelCommand));
    ASSERT_TRUE(writeRunEntry(kQuotedPanelCommand));
    EXPECT_TRUE(removeRunEntry(kLegacyPanelCommand));
    EXPECT_TRUE(reg.snapshot()[u"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"].empty());
}

TEST_F(RegistryRecords, RunEntryRemovalOfAMissingValueChangesNothing) {
    reg.putValue(HKCU, kRunKeyPath, u"Other", sz(u"C:\\other.exe"));
    reg.putValue(HKCU, kRunKeyPath, u"", sz(u"default"));
    auto before = reg.snapshot();
    EXPECT_FALSE(removeRunEntry(kQuotedPanelCommand));
    // A command without a program name would name the key's default value.
    EXPECT_FALSE(removeRunEntry(u"C:\\dir\\"));
    EXPECT_EQ(reg.snapshot(), before);
}

TEST_F(RegistryRecords, RunKeyIsOpenedNeverCreated) {
    reg = FakeRegistry();
    RegistryKey runKey = 0;
    ASSERT_TRUE(reg.openKey(HKCU, u"Software\\Microsoft\\Windows\\CurrentVersion",
                            platform::KeyAccess::AllAccess, runKey));
    ASSERT_TRUE(reg.deleteKey(runKey, u"Run"));
    reg.closeKey(runKey);
    auto before = reg.snapshot();
    EXPECT_FALSE(writeRunEntry(kQuotedPanelCommand));
    EXPECT_FALSE(removeRunEntry(kQuotedPanelCommand));
    EXPECT_EQ(reg.snapshot(), before);
}

TEST_F(RegistryRecords, RunEntryFailuresAreReportedAndChangeNothing) {
    failEachCallInTurn(
        [] {}, [] { return writeRunEntry(kQuotedPanelCommand); },
        [&](bool result, const FakeRegistry::Snapshot& before, const std::string& failed) {
            EXPECT_EQ(result, failed.starts_with("closeKey")) << failed;
            if (!result) {
                EXPECT_EQ(reg.snapshot(), before) << failed;
            }
        });
    failEachCallInTurn(
        [&] { reg.putValue(HKCU, kRunKeyPath, u"KorvelPanel", sz(kQuotedPanelCommand)); },
        [] { return removeRunEntry(kQuotedPanelCommand); },
        [&](bool result, const FakeRegistry::Snapshot& before, const std::string& failed) {
            EXPECT_EQ(result, failed.starts_with("closeKey")) << failed;
            if (!result) {
                EXPECT_EQ(reg.snapshot(), before) << failed;
            }
        });
}

// --- Together ----------------------------------------------------------------------------------

TEST_F(RegistryRecords, UndoingEveryRecordInReverseRestoresTheRegistry) {
    reg.putValue(HKCU, kRunKeyPath, u"Other", sz(u"C:\\other.exe"));
    auto before = reg.snapshot();

    std::vector<std::uint8_t> productRecord;
    ASSERT_TRUE(writeProductKeyValues(fullProductValues(), &productRecord));
    ASSERT_TRUE(writeDesktopMenu(kPanel, u"Korvel Panel"));
    ASSERT_TRUE(writeUninstallEntry(entryOf(u"KorvelServerV6")));
    TextBuffer command;
    ASSERT_TRUE(runCommandFor(kPanel, command));
    ASSERT_TRUE(writeRunEntry(command));
    EXPECT_NE(reg.snapshot(), before);

    EXPECT_TRUE(removeRunEntry(command));
    EXPECT_TRUE(removeUninstallEntry(u"KorvelServerV6"));
    EXPECT_TRUE(removeDesktopMenu(u"Korvel Panel"));
    EXPECT_TRUE(removeKeyRecord(keyRecord(productRecord)));
    EXPECT_EQ(reg.snapshot(), before);
}

}  // namespace
