// The fake registry stands in for Windows in every engine test, so it must keep Windows' rules;
// the same rules are checked against the real registry in tests/windows.
#include <gtest/gtest.h>

#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FaultPlan.h"

using fake::FakeRegistry;
using platform::KeyAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

constexpr auto HKLM = RegistryRoot::LocalMachine;

class FakeRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { fake::faults().clear(); }
    void TearDown() override {
        EXPECT_EQ(reg.openKeys(), 0u);
        fake::faults().clear();
    }
    RegistryKey create(const char16_t* path) {
        RegistryKey key = 0;
        bool created = false;
        EXPECT_TRUE(reg.createKey(HKLM, path, key, created));
        return key;
    }
    FakeRegistry reg;
};

TEST_F(FakeRegistryTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    RegistryKey key = 0;
    bool created = false;
    ASSERT_TRUE(reg.createKey(HKLM, u"SOFTWARE\\Brenmark\\Ärger", key, created));
    EXPECT_TRUE(created);
    EXPECT_TRUE(reg.setString(key, u"Company", u"Brenmark"));
    reg.closeKey(key);

    ASSERT_TRUE(reg.createKey(HKLM, u"software\\BRENMARK\\ärger", key, created));
    EXPECT_FALSE(created);
    EXPECT_TRUE(reg.setString(key, u"COMPANY", u"Other"));
    TextBuffer text;
    EXPECT_TRUE(reg.queryString(key, u"company", text));
    EXPECT_EQ(viewOf(text), u"Other");
    reg.closeKey(key);

    auto snapshot = reg.snapshot();
    ASSERT_EQ(snapshot.count(u"HKLM\\SOFTWARE\\Brenmark\\Ärger"), 1u);
    EXPECT_EQ(snapshot[u"HKLM\\SOFTWARE\\Brenmark\\Ärger"].count(u"Company"), 1u);
    EXPECT_EQ(snapshot.count(u"HKLM\\software\\BRENMARK\\ärger"), 0u);
}

TEST_F(FakeRegistryTest, OpeningNeedsAnExistingKeyAndAWellFormedPath) {
    RegistryKey key = 0;
    EXPECT_FALSE(reg.openKey(HKLM, u"SOFTWARE\\Missing", KeyAccess::Read, key));
    EXPECT_FALSE(reg.openExistingKey(HKLM, u"SOFTWARE\\Missing", key));
    bool created = false;
    EXPECT_FALSE(reg.createKey(HKLM, u"SOFTWARE\\\\Double", key, created));
    EXPECT_FALSE(reg.createKey(HKLM, u"\\Leading", key, created));
    EXPECT_FALSE(reg.createKey(HKLM, std::u16string(256, u'k').c_str(), key, created));
    EXPECT_FALSE(reg.hasKey(HKLM, u"SOFTWARE\\Double"));
    EXPECT_FALSE(reg.hasKey(HKLM, u"Leading"));
}

TEST_F(FakeRegistryTest, KeysWithSubkeysAndRootsCannotBeDeleted) {
    reg.closeKey(create(u"A\\B\\C"));
    RegistryKey a = 0;
    ASSERT_TRUE(reg.openKey(HKLM, u"A", KeyAccess::Read, a));
    EXPECT_FALSE(reg.deleteKey(a, u"B"));
    EXPECT_TRUE(reg.deleteKey(a, u"B\\C"));
    EXPECT_TRUE(reg.deleteKey(a, u"b"));
    EXPECT_FALSE(reg.deleteKey(a, u"B"));
    EXPECT_TRUE(reg.hasKey(HKLM, u"A"));
    reg.closeKey(a);

    RegistryKey root = 0;
    ASSERT_TRUE(reg.openKey(HKLM, u"", KeyAccess::AllAccess, root));
    EXPECT_FALSE(reg.deleteKey(root, u""));
    reg.closeKey(root);
}

TEST_F(FakeRegistryTest, AnEmptySubkeyDeletesTheOpenKeyItself) {
    RegistryKey key = create(u"A\\Leaf");
    EXPECT_TRUE(reg.deleteKey(key, u""));
    EXPECT_FALSE(reg.hasKey(HKLM, u"A\\Leaf"));
    // The handle now names a deleted key: nothing works through it any more.
    EXPECT_FALSE(reg.setString(key, u"v", u"x"));
    TextBuffer text;
    EXPECT_FALSE(reg.queryString(key, u"v", text));
    reg.closeKey(key);
    EXPECT_TRUE(reg.hasKey(HKLM, u"A"));
}

TEST_F(FakeRegistryTest, AKeyOpenedForReadingCannotBeWritten) {
    reg.putValue(HKLM, u"A", u"v", FakeRegistry::stringValue(u"old"));
    RegistryKey key = 0;
    ASSERT_TRUE(reg.openKey(HKLM, u"A", KeyAccess::Read, key));
    EXPECT_FALSE(reg.setString(key, u"v", u"new"));
    EXPECT_FALSE(reg.setDword(key, u"n", 1));
    EXPECT_FALSE(reg.deleteValue(key, u"v"));
    reg.closeKey(key);
    EXPECT_EQ(reg.value(HKLM, u"A", u"v"), FakeRegistry::stringValue(u"old"));
    EXPECT_FALSE(reg.value(HKLM, u"A", u"n"));
}

TEST_F(FakeRegistryTest, StringsAreStoredWithoutTheirTerminatorAndTheDefaultValueHasNoName) {
    RegistryKey key = create(u"A");
    EXPECT_TRUE(reg.setString(key, nullptr, u"C:\\x.exe"));
    EXPECT_TRUE(reg.setString(key, u"Empty", u""));
    EXPECT_TRUE(reg.setDword(key, u"N", 0x01020304));
    reg.closeKey(key);
    auto def = reg.value(HKLM, u"A", u"");
    ASSERT_TRUE(def);
    EXPECT_EQ(def->type, platform::kRegSz);
    EXPECT_EQ(def->bytes.size(), 16u);
    EXPECT_EQ(reg.value(HKLM, u"A", u"Empty")->bytes.size(), 0u);
    EXPECT_EQ(reg.value(HKLM, u"A", u"N"),
              (FakeRegistry::Value{platform::kRegDword, {4, 3, 2, 1}}));
}

TEST_F(FakeRegistryTest, TextQueriesFitA260UnitBufferWithRoomForTheTerminator) {
    std::u16string fits(259, u'x'), full(260, u'x');
    reg.putValue(HKLM, u"A", u"fits", FakeRegistry::stringValue(fits));
    reg.putValue(HKLM, u"A", u"fitsWithNul", FakeRegistry::stringValue(fits, true));
    reg.putValue(HKLM, u"A", u"full", FakeRegistry::stringValue(full));
    reg.putValue(HKLM, u"A", u"tooBig", FakeRegistry::stringValue(full, true));
    reg.putValue(HKLM, u"A", u"inner", FakeRegistry::stringValue(std::u16string(u"ab\0cd", 5)));
    reg.putValue(HKLM, u"A", u"number", FakeRegistry::dwordValue(7));
    reg.putValue(HKLM, u"A", u"expand", {platform::kRegExpandSz, {'%', 0, 'X', 0}});
    RegistryKey key = 0;
    ASSERT_TRUE(reg.openKey(HKLM, u"A", KeyAccess::Read, key));
    TextBuffer text;
    EXPECT_TRUE(reg.queryString(key, u"fits", text));
    EXPECT_EQ(viewOf(text), fits);
    EXPECT_TRUE(reg.queryString(key, u"fitsWithNul", text));
    EXPECT_EQ(viewOf(text), fits);
    EXPECT_FALSE(reg.queryString(key, u"full", text));
    EXPECT_EQ(text[0], 0);
    EXPECT_FALSE(reg.queryString(key, u"tooBig", text));
    EXPECT_TRUE(reg.queryString(key, u"inner", text));
    EXPECT_EQ(viewOf(text), u"ab");
    EXPECT_FALSE(reg.queryString(key, u"number", text));
    EXPECT_TRUE(reg.queryString(key, u"expand", text));
    EXPECT_EQ(viewOf(text), u"%X");
    EXPECT_FALSE(reg.queryString(key, u"missing", text));
    reg.closeKey(key);
}

TEST_F(FakeRegistryTest, AnInjectedFailureChangesNothingAndIsTraced) {
    reg.putValue(HKLM, u"A", u"v", FakeRegistry::stringValue(u"kept"));
    auto before = reg.snapshot();
    RegistryKey key = 0;
    bool created = false;
    fake::faults().failOperation("createKey");
    EXPECT_FALSE(reg.createKey(HKLM, u"A\\New", key, created));
    fake::faults().failOperation("setString");
    fake::faults().failOperation("deleteValue");
    fake::faults().failOperation("deleteKey");
    ASSERT_TRUE(reg.openKey(HKLM, u"A", KeyAccess::AllAccess, key));
    EXPECT_FALSE(reg.setString(key, u"v", u"changed"));
    EXPECT_FALSE(reg.deleteValue(key, u"v"));
    EXPECT_FALSE(reg.deleteKey(key, u""));
    reg.closeKey(key);
    EXPECT_EQ(reg.snapshot(), before);
    const auto& trace = fake::faults().trace();
    ASSERT_EQ(trace.size(), 6u);
    EXPECT_EQ(trace[0], "createKey HKLM\\A\\New -> injected failure");
    EXPECT_EQ(trace[1], "openKey HKLM\\A");
    EXPECT_EQ(trace[2], "setString HKLM\\A v -> injected failure");
    EXPECT_EQ(trace[5], "closeKey HKLM\\A");
}

}  // namespace
