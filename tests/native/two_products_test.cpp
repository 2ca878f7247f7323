// Two vendors' products on one machine, each made with make-setup: neither installation finds,
// believes, removes or rewrites anything of the other (settings key, log, files, service,
// Uninstall entry, data folder), and the demo product keeps the names its installations in the
// field rely on.
#include <gtest/gtest.h>

#include "engine/LogIdentity.h"
#include "engine/RegistryPaths.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"

using namespace testpkg;
using platform::RegistryRoot;

namespace {

constexpr auto HKLM = RegistryRoot::LocalMachine;
const std::u16string kOrbisFolder = u"C:\\Program Files\\Orbis\\OrbisTouch";
const std::u16string kOrbisLog = kOrbisFolder + u"\\uninstall.log";
const std::u16string kOrbisKey = u"SOFTWARE\\Orbis OrbisTouch";
// Each entry is named after its product's identity.
const std::u16string kOrbisEntry =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orbis OrbisTouch";
const std::u16string kDemoEntry =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KorvelServerV5";
const std::u16string kDocuments = u"C:\\Users\\Public\\Documents";

// Runs the install worker for another package on the harness's machine.
bool installOther(InstallHarness& h, LoadedConfig& other, const std::vector<std::uint8_t>& blob) {
    if (!other.load(blob)) return false;
    other.config.running = false;
    h.window.messages.clear();
    startInstallWorker(other.config, h.parameter);
    return other.config.completed;
}

}  // namespace

TEST(TwoProducts, AnotherVendorsInstallationAndRemovalLeaveTheDemoProductWhole) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    MachineSnapshot demoOnly = h.machine.snapshot();

    LoadedConfig orbis;
    ASSERT_TRUE(installOther(h, orbis, orbisPackage()));
    EXPECT_EQ(h.window.count(ST_PREVIOUS_VERSION), 0);
    // The demo product's installation is all there as it was.
    MachineSnapshot both = h.machine.snapshot();
    for (const auto& [path, node] : demoOnly.files) {
        if (path.starts_with(kDocuments)) continue;  // compared below
        ASSERT_TRUE(both.files.count(path)) << utf16ToUtf8(path);
        EXPECT_TRUE(both.files.at(path) == node) << utf16ToUtf8(path);
    }
    for (const auto& [name, service] : demoOnly.services) {
        ASSERT_TRUE(both.services.count(name)) << utf16ToUtf8(name);
        EXPECT_EQ(both.services.at(name), service);
    }
    for (const auto& [key, values] : demoOnly.registry) {
        if (key.find(u"Run") != std::u16string::npos) continue;  // compared below, whole
        ASSERT_TRUE(both.registry.count(key)) << utf16ToUtf8(key);
        EXPECT_EQ(both.registry.at(key), values) << utf16ToUtf8(key);
    }
    EXPECT_TRUE(h.machine.registry.hasKey(HKLM, kDemoEntry));
    EXPECT_TRUE(h.machine.files.hasFile(kDocuments + u"\\Vantrel\\PanelConfig.ini"));
    // Orbis has its own of each.
    EXPECT_TRUE(h.machine.registry.hasKey(HKLM, kOrbisKey));
    EXPECT_TRUE(h.machine.registry.hasKey(HKLM, kOrbisEntry));
    EXPECT_TRUE(h.machine.files.hasFile(kDocuments + u"\\Orbis OrbisTouch\\PanelConfig.ini"));
    EXPECT_TRUE(h.machine.services.has(u"OrbisHost"));

    // Removing Orbis (as its own uninstaller does, from its log) takes only Orbis away.
    ASSERT_TRUE(h.uninstall(kOrbisLog));
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == demoOnly) << describeDifference(demoOnly, after);

    // And the demo product's own log still removes the demo product.
    ASSERT_TRUE(installOther(h, orbis, orbisPackage()));
    ASSERT_TRUE(h.uninstall());
    EXPECT_FALSE(h.machine.registry.hasKey(HKLM, kDemoProductKeyPath));
    EXPECT_FALSE(h.machine.files.hasFolder(kDocuments + u"\\Vantrel"));
    EXPECT_TRUE(h.machine.registry.hasKey(HKLM, kOrbisKey));
    EXPECT_TRUE(h.machine.files.hasFile(kOrbisFolder + u"\\OrbisHost.exe"));
    EXPECT_TRUE(h.machine.services.has(u"OrbisHost"));
}

// The same company and product names as an installation already there, but another product
// identity: installing would overwrite that product's files and log, so nothing is done.
TEST(TwoProducts, AFolderHoldingAnotherProductsInstallationIsRefusedBeforeAnythingChanges) {
    InstallHarness h;
    LoadedConfig orbis;
    ASSERT_TRUE(installOther(h, orbis, orbisPackage()));
    MachineSnapshot before = h.machine.snapshot();

    LoadedConfig impostor;
    EXPECT_FALSE(installOther(h, impostor, orbisPackage(identityOf(u"Quillon", u"Quillon"))));
    ASSERT_EQ(h.window.codes(), (std::vector<std::uint32_t>{ST_FILE_ERROR, ST_WORKER_DONE}));
    const std::u16string& text = h.window.messages[0].text;
    EXPECT_EQ(text.substr(0, text.find(u"\r\n")), kOrbisFolder);
    EXPECT_NE(text.find(u"Another product is installed in this folder."), std::u16string::npos);
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);

    // A later version of the same product (same settings key) replaces it as always.
    LoadedConfig update;
    ASSERT_TRUE(installOther(
        h, update, orbisPackage(identityOf(u"Orbis OrbisTouch", u"Orbis OrbisTouch", u"2.2"))));
    EXPECT_EQ(h.window.count(ST_PREVIOUS_VERSION), 1);
    EXPECT_EQ(h.machine.registry.value(HKLM, kOrbisEntry, u"DisplayVersion"),
              fake::FakeRegistry::stringValue(u"2.2"));
}

// The older service belongs to older versions of the demo product only.
TEST(TwoProducts, TheDemoProductsOlderServiceIsLeftToTheDemoProduct) {
    InstallHarness h;
    h.machine.services.add(u"VantrelScreenService", platform::kServiceRunning);
    LoadedConfig orbis;
    ASSERT_TRUE(installOther(h, orbis, orbisPackage()));
    EXPECT_TRUE(h.machine.services.has(u"VantrelScreenService"));
    ASSERT_TRUE(h.install());
    EXPECT_FALSE(h.machine.services.has(u"VantrelScreenService"));
}

// What Windows and deployment tools read from the entry, and that it goes with the removal.
TEST(TwoProducts, TheUninstallEntryTellsVersionQuietCommandLocationAndSize) {
    InstallHarness h;
    LoadedConfig orbis;
    ASSERT_TRUE(installOther(h, orbis, orbisPackage()));
    auto value = [&](const char16_t* name) {
        return h.machine.registry.value(HKLM, kOrbisEntry, name);
    };
    const std::u16string uninstaller = kOrbisFolder + u"\\Uninstall.exe";
    EXPECT_EQ(value(u"DisplayVersion"), fake::FakeRegistry::stringValue(u"2.1"));
    EXPECT_EQ(value(u"QuietUninstallString"),
              fake::FakeRegistry::stringValue(u"\"" + uninstaller + u"\" /S"));
    EXPECT_EQ(value(u"InstallLocation"), fake::FakeRegistry::stringValue(kOrbisFolder));
    // 10 + 11 + 11 + 4 bytes of files: one KiB, rounded up.
    EXPECT_EQ(value(u"EstimatedSize"), fake::FakeRegistry::dwordValue(1));
    EXPECT_EQ(value(u"NoModify"), fake::FakeRegistry::dwordValue(1));
    EXPECT_EQ(value(u"NoRepair"), fake::FakeRegistry::dwordValue(1));
    ASSERT_TRUE(h.uninstall(kOrbisLog));
    EXPECT_FALSE(h.machine.registry.hasKey(HKLM, kOrbisEntry));
}
