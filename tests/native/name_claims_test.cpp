// Two vendors' products with the same product, service, program and shortcut names on one
// machine: each installation takes only names that are absent or its own product's, meets any
// other by ending before it changes anything (naming the item and its owner), and removes only
// its own. Earlier installers recorded no owner: their items are judged by where they lead.
#include <gtest/gtest.h>

#include <functional>

#include "engine/Claims.h"
#include "engine/RegistryPaths.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"

using namespace testpkg;
using platform::RegistryRoot;

namespace {

constexpr auto HKLM = RegistryRoot::LocalMachine;
constexpr auto HKCU = RegistryRoot::CurrentUser;
const std::u16string kAlder = u"C:\\Program Files\\Alder\\TouchSuite";
const std::u16string kBirch = u"C:\\Program Files\\Birch\\TouchSuite";
const std::u16string kList = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::u16string kDesktopLink = u"C:\\Users\\admin\\Desktop\\Touch Panel.lnk";
const std::u16string kDataFolder = u"C:\\Users\\Public\\Documents\\TouchSuite";

ProductIdentity alder(const char16_t* version = u"1.0") {
    return identityOf(u"Alder TouchSuite", u"TouchSuite", version);
}
ProductIdentity birch() {
    return identityOf(u"Birch TouchSuite", u"TouchSuite", u"1.0");
}

// One machine, and installations of either vendor's TouchSuite on it.
struct TwoVendors {
    FakeMachine machine;
    StatusRecorder window;
    WorkerParameter parameter;
    TwoVendors() {
        parameter.window = &window;
        copyText(parameter.installRoot, u"C:\\Program Files");
    }
    bool install(const std::u16string& company, const ProductIdentity& identity) {
        LoadedConfig package;
        EXPECT_TRUE(package.load(touchSuitePackage(company, identity)));
        window.messages.clear();
        package.config.running = false;
        startInstallWorker(package.config, parameter);
        return package.config.completed;
    }
    std::u16string firstLine() const {
        if (window.messages.empty()) return u"<none>";
        const std::u16string& text = window.messages[0].text;
        return text.substr(0, text.find(u"\r\n"));
    }
    std::u16string reason() const {
        if (window.messages.empty()) return u"";
        const std::u16string& text = window.messages[0].text;
        std::size_t cut = text.find(u"\r\n");
        return cut == std::u16string::npos ? u"" : text.substr(cut + 2);
    }
};

std::u16string serviceItem(const std::u16string& name) {
    return u"HKLM\\SYSTEM\\CurrentControlSet\\Services\\" + name;
}

}  // namespace

TEST(NameClaims, TwoVendorsWithTheSameNamesNeverTakeEachOthersItems) {
    TwoVendors m;
    MachineSnapshot clean = m.machine.snapshot();
    ASSERT_TRUE(m.install(u"Alder", alder()));
    EXPECT_EQ(m.machine.services.find(u"TouchHost")->owner, u"Alder TouchSuite");
    MachineSnapshot alderOnly = m.machine.snapshot();

    // Birch's installation meets Alder's service first and changes nothing.
    EXPECT_FALSE(m.install(u"Birch", birch()));
    EXPECT_EQ(m.window.codes(), (std::vector<std::uint32_t>{ST_NAME_TAKEN, ST_WORKER_DONE}));
    EXPECT_EQ(m.firstLine(), serviceItem(u"TouchHost"));
    EXPECT_NE(m.reason().find(u"Alder TouchSuite"), std::u16string::npos);
    MachineSnapshot after = m.machine.snapshot();
    EXPECT_TRUE(after == alderOnly) << describeDifference(alderOnly, after);

    // Alder's removal takes Alder's all; Birch then installs, and Alder meets Birch's items.
    ASSERT_TRUE(runUninstallJob(kAlder + u"\\uninstall.log"));
    after = m.machine.snapshot();
    EXPECT_TRUE(after == clean) << describeDifference(clean, after);
    ASSERT_TRUE(m.install(u"Birch", birch()));
    MachineSnapshot birchOnly = m.machine.snapshot();
    EXPECT_FALSE(m.install(u"Alder", alder()));
    EXPECT_NE(m.reason().find(u"Birch TouchSuite"), std::u16string::npos);
    after = m.machine.snapshot();
    EXPECT_TRUE(after == birchOnly) << describeDifference(birchOnly, after);
    ASSERT_TRUE(runUninstallJob(kBirch + u"\\uninstall.log"));
    after = m.machine.snapshot();
    EXPECT_TRUE(after == clean) << describeDifference(clean, after);
}

// Whatever of another's stands at one of the names the installation needs: left as it is, and
// named with its owner as far as it tells.
TEST(NameClaims, EachNameAnotherHoldsEndsTheInstallationBeforeAnythingChanges) {
    struct Case {
        const char* what;
        std::function<void(FakeMachine&)> plant;
        std::u16string item;
        std::u16string owner;  // empty: it tells none
    };
    const std::u16string other = u"C:\\Other\\TouchPanel.exe";
    const std::vector<Case> cases = {
        {"a service marked as another product's",
         [](FakeMachine& m) {
             m.services.add(u"TouchHost").binaryPath =
                 u"\"C:\\Program Files\\Birch\\TouchSuite\\TouchHost.exe\"";
             m.services.find(u"TouchHost")->owner = u"Birch TouchSuite";
         },
         serviceItem(u"TouchHost"), u"Birch TouchSuite"},
        {"a service an earlier installer registered for another folder",
         [](FakeMachine& m) {
             m.services.add(u"TouchHost").binaryPath = u"\"C:\\Old\\TouchHost.exe\"";
         },
         serviceItem(u"TouchHost"), u"\"C:\\Old\\TouchHost.exe\""},
        {"an Uninstall entry of this name marked as another's",
         [](FakeMachine& m) {
             m.registry.putValue(HKLM, kList + u"Alder TouchSuite", u"ProductIdentity",
                                 fake::FakeRegistry::stringValue(u"Someone Else"));
         },
         u"HKLM\\" + kList + u"Alder TouchSuite", u"Someone Else"},
        {"a Run value starting another program",
         [&](FakeMachine& m) {
             m.registry.putValue(HKCU, kRunKeyPath, u"TouchPanel",
                                 fake::FakeRegistry::stringValue(u"\"" + other + u"\" -h"));
         },
         u"HKCU\\" + std::u16string(kRunKeyPath) + u"\\TouchPanel", u"\"" + other + u"\" -h"},
        {"a desktop shortcut to another program",
         [&](FakeMachine& m) {
             m.files.addFolder(u"C:\\Users\\admin\\Desktop");
             m.shell.saveLink(other.c_str(), kDesktopLink.c_str());
         },
         kDesktopLink, other},
        {"a desktop menu entry of another program",
         [&](FakeMachine& m) {
             m.registry.putValue(RegistryRoot::ClassesRoot,
                                 u"DesktopBackground\\Shell\\Touch Panel", u"Icon",
                                 fake::FakeRegistry::stringValue(other));
         },
         u"HKCR\\DesktopBackground\\Shell\\Touch Panel", other},
        {"a file in the system folder",
         [](FakeMachine& m) {
             m.files.addFile(u"C:\\Windows\\System32\\touchhid.dll", bytesOf("?"));
         },
         u"C:\\Windows\\System32\\touchhid.dll", u""},
        {"a data folder marked as another product's",
         [](FakeMachine& m) {
             m.files.addFolder(kDataFolder);
             m.files.addFile(kDataFolder + u"\\ProductIdentity.txt",
                             bytesOf("Birch TouchSuite\r\n"));
         },
         kDataFolder, u"Birch TouchSuite"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TwoVendors m;
        c.plant(m.machine);
        MachineSnapshot before = m.machine.snapshot();
        EXPECT_FALSE(m.install(u"Alder", alder()));
        EXPECT_EQ(m.window.codes(), (std::vector<std::uint32_t>{ST_NAME_TAKEN, ST_WORKER_DONE}));
        EXPECT_EQ(m.firstLine(), c.item);
        if (c.owner.empty()) {
            EXPECT_NE(m.reason().find(u"did not make"), std::u16string::npos)
                << utf16ToUtf8(m.reason());
        } else {
            EXPECT_NE(m.reason().find(c.owner), std::u16string::npos) << utf16ToUtf8(m.reason());
        }
        MachineSnapshot after = m.machine.snapshot();
        EXPECT_TRUE(after == before) << describeDifference(before, after);
    }
}

// A name another product takes while the installation runs, after the checks: the installation
// stops at that step, rolls back everything it did, and leaves the other's item alone.
TEST(NameClaims, ANameTakenWhileTheInstallationRunsIsLeftAndTheRestRolledBack) {
    TwoVendors m;
    MachineSnapshot before = m.machine.snapshot();
    const auto planted = fake::FakeRegistry::stringValue(u"\"C:\\Other\\TouchPanel.exe\" -h");
    bool done = false;
    fake::faults().onCall = [&](int, const std::string& operation) {
        if (done || operation != "createService") return;
        done = true;
        m.machine.registry.putValue(HKCU, kRunKeyPath, u"TouchPanel", planted);
    };
    EXPECT_FALSE(m.install(u"Alder", alder()));
    ASSERT_TRUE(done);
    EXPECT_EQ(m.window.count(ST_NAME_TAKEN), 1);
    EXPECT_EQ(m.window.count(ST_CANCELLED), 1);
    EXPECT_EQ(m.machine.registry.value(HKCU, kRunKeyPath, u"TouchPanel"), planted);
    EXPECT_FALSE(m.machine.services.has(u"TouchHost"));
    EXPECT_FALSE(m.machine.files.hasFolder(kAlder));
    EXPECT_FALSE(m.machine.files.hasFile(kDesktopLink));
}

// Every user can write the data folder: a marker only an installation could have written (its
// access list protected) says whose it is; a user's own says nothing, nor does a folder without
// one, and either is taken as it always was.
TEST(NameClaims, TheDataFolderIsJudgedOnlyByAMarkerNobodyElseCouldHaveWritten) {
    for (bool userMade : {true, false}) {
        SCOPED_TRACE(userMade ? "a marker a user wrote" : "no marker");
        TwoVendors m;
        m.machine.files.addFolder(kDataFolder);
        m.machine.security.openToUsers(kDataFolder);
        if (userMade) {
            m.machine.files.addFile(kDataFolder + u"\\ProductIdentity.txt",
                                    bytesOf("Birch TouchSuite"));
        } else {
            m.machine.files.addFile(kDataFolder + u"\\PanelConfig.ini", bytesOf("?"));
        }
        ASSERT_TRUE(m.install(u"Alder", alder()));
        const std::u16string marker = kDataFolder + u"\\ProductIdentity.txt";
        EXPECT_EQ(m.machine.files.contents(marker), bytesOf("Alder TouchSuite\r\n"));
        EXPECT_TRUE(m.machine.security.isWritableOnlyByTrusted(marker.c_str()));
        // Birch's installation now meets Alder's data folder, whose marker it believes.
        ClaimEvidence evidence;
        evidence.identity = birch();
        TakenName taken;
        EXPECT_FALSE(dataFolderIsFree(evidence, taken));
        EXPECT_EQ(taken.owner, u"Alder TouchSuite");
    }
}

namespace {

// The log's bytes as the installer writes them.
std::vector<std::uint8_t> logBytes(const UninstallLog& log) {
    Bytes b;
    b.text(std::u16string(viewOf(log.root)));
    b.text(std::u16string(viewOf(log.company)));
    b.text(std::u16string(viewOf(log.product)));
    for (const LogRecord* r = log.first; r; r = r->next) {
        b.u8(r->type);
        b.u32(std::uint32_t(r->data.size()));
        b.v.insert(b.v.end(), r->data.begin(), r->data.end());
    }
    return b.v;
}

// What an installer that recorded no owners left: a service without its identity beside it, an
// Uninstall entry named after the product with none in it, a data folder without a marker, a log
// without its scope.
void madeByAnEarlierInstaller(FakeMachine& m) {
    m.services.find(u"TouchHost")->owner.clear();
    const std::u16string entry = kList + u"TouchSuite";
    for (const char16_t* name : {u"DisplayName", u"Publisher", u"UninstallString", u"DisplayIcon",
                                 u"InstallLocation", u"QuietUninstallString", u"DisplayVersion"}) {
        auto value = m.registry.value(HKLM, kList + u"Alder TouchSuite", name);
        if (value) m.registry.putValue(HKLM, entry, name, *value);
    }
    platform::RegistryKey list = 0;
    ASSERT_TRUE(m.registry.openKey(HKLM, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                   platform::KeyAccess::AllAccess, list));
    m.registry.deleteKey(list, u"Alder TouchSuite");
    m.registry.closeKey(list);
    m.files.removeTree(kDataFolder + u"\\ProductIdentity.txt");
    const std::u16string logPath = kAlder + u"\\uninstall.log";
    UninstallLog log;
    ASSERT_TRUE(loadLog(log, logPath.c_str()));
    for (LogRecord* r = log.first; r; r = r->next) {
        if (r->type == LOG_INSTALL_SCOPE) r->type = 99;  // kept and skipped, as unknown types are
        if (r->type == LOG_UNINSTALL_ENTRY) {
            r->data.clear();
            for (char16_t c : std::u16string(u"TouchSuite")) {
                r->data.push_back(std::uint8_t(c));
                r->data.push_back(std::uint8_t(c >> 8));
            }
            r->data.insert(r->data.end(), {0, 0});
        }
    }
    m.files.addFile(logPath, logBytes(log));
}

}  // namespace

// Installations made before names recorded their owner are this product's all the same when
// they lead into its folders: an upgrade removes them as before and takes the names again, now
// recording whose they are.
TEST(NameClaims, AnInstallationMadeBeforeNamesRecordedTheirOwnerIsStillUpgraded) {
    TwoVendors m;
    ASSERT_TRUE(m.install(u"Alder", alder()));
    madeByAnEarlierInstaller(m.machine);
    ASSERT_FALSE(m.machine.registry.hasKey(HKLM, kList + u"Alder TouchSuite"));
    ASSERT_TRUE(m.install(u"Alder", alder(u"1.1"))) << utf16ToUtf8(m.firstLine());
    EXPECT_EQ(m.window.count(ST_PREVIOUS_VERSION), 1);
    EXPECT_FALSE(m.machine.registry.hasKey(HKLM, kList + u"TouchSuite"));
    EXPECT_EQ(m.machine.registry.value(HKLM, kList + u"Alder TouchSuite", u"DisplayVersion"),
              fake::FakeRegistry::stringValue(u"1.1"));
    EXPECT_EQ(m.machine.services.find(u"TouchHost")->owner, u"Alder TouchSuite");
    EXPECT_TRUE(m.machine.files.hasFile(kDataFolder + u"\\ProductIdentity.txt"));

    // And another vendor's installation of that age is another's: where its service leads says
    // so, and Birch's setup leaves it.
    madeByAnEarlierInstaller(m.machine);
    MachineSnapshot before = m.machine.snapshot();
    EXPECT_FALSE(m.install(u"Birch", birch()));
    EXPECT_EQ(m.firstLine(), serviceItem(u"TouchHost"));
    MachineSnapshot after = m.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}
