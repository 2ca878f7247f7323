#include <gtest/gtest.h>

#include "package/InstallScript.h"
#include "tests/support/PackageFixture.h"
#include "tests/support/ShippedPackage.h"

using namespace testpkg;

namespace {

Bytes smallTree() {
    return fileBlock(
        u"P", filesNamed({u"App.exe", u"Svc.exe", u"Lic.txt"}),
        {dir(u"drv", filesNamed({u"InstallHid.bat", u"UninstallHid.bat", u"X86.bat"}))});
}

struct Parsed {
    LoadedConfig c;
    ScriptStop stop;
    bool complete = false;
    explicit Parsed(const Script& s) {
        auto blob = package(s, smallTree());
        EXPECT_TRUE(c.load(blob, &stop));
        complete = parseInstallScript(blob.data() + 4, blob.size() - 4, c.config, &stop);
    }
};

}  // namespace

TEST(InstallScript, EmptyRecordsAreSkippedWithoutLookingAtTheirCommand) {
    Script s;
    s.empty(5);
    s.empty(0xFF);
    s.path(1, u"App.exe");
    s.empty(14);
    Parsed p(s);
    EXPECT_TRUE(p.complete);
    EXPECT_EQ(pathOf(p.c.config.mainApp), u"App.exe");
    EXPECT_EQ(p.c.config.systemFiles, nullptr);
}

TEST(InstallScript, UnknownCommandOrMarkerStopsButKeepsWhatWasRead) {
    for (std::uint8_t bad : {14, 0xFF}) {
        Script s;
        s.text(0, u"Co");
        s.head(bad);
        s.raw({0x41, 0, 0, 0, 0x7F});
        s.path(1, u"App.exe");
        Parsed p(s);
        EXPECT_FALSE(p.complete);
        EXPECT_EQ(viewOf(p.c.config.company), u"Co");
        EXPECT_EQ(p.c.config.mainApp, nullptr);
        EXPECT_STREQ(p.stop.reason, "unknown command");
    }
    Script s;
    s.raw({1, 0x7D});
    Parsed p(s);
    EXPECT_FALSE(p.complete);
    EXPECT_EQ(p.stop.offset, 4u);
}

TEST(InstallScript, ServiceDescriptionFollowsAnySeparatorButTheTerminator) {
    std::u16string text = u"Runs the panel";
    Script s;
    s.service(u"Svc.exe", nullptr);
    s.service(u"App.exe", &text, 0x41);
    s.service(u"Missing.exe", &text);
    s.path(1, u"App.exe");
    Parsed p(s);
    EXPECT_TRUE(p.complete);
    ASSERT_EQ(lengthOf(p.c.config.services), 2u);
    EXPECT_EQ(pathOf(p.c.config.services->file), u"App.exe");
    EXPECT_EQ(viewOf(p.c.config.services->description), text);
    EXPECT_EQ(p.c.config.services->next->description, nullptr);
    EXPECT_EQ(pathOf(p.c.config.mainApp), u"App.exe");  // the unresolved record was consumed
}

TEST(InstallScript, DriverSetsFollowTheirIndexRules) {
    Script s;
    s.drivers({{0, u"drv\\Gone.bat"}, {1, u"drv\\AlsoGone.bat"}});  // dropped silently
    s.drivers({{1, u"drv\\InstallHid.bat"}, {3, u"drv\\UninstallHid.bat"}, {1, u"drv\\X86.bat"}});
    Parsed ok(s);
    EXPECT_TRUE(ok.complete);
    ASSERT_EQ(lengthOf(ok.c.config.driverScriptSets), 1u);
    DriverScriptSet* set = ok.c.config.driverScriptSets;
    EXPECT_EQ(pathOf(set->installX64), u"drv\\X86.bat");  // a repeated index overwrites
    EXPECT_EQ(pathOf(set->uninstallX64), u"drv\\UninstallHid.bat");
    EXPECT_EQ(set->installX86, nullptr);

    Script missingUninstall;
    missingUninstall.text(0, u"Kept");
    missingUninstall.drivers({{0, u"drv\\InstallHid.bat"}, {2, u"drv\\Gone.bat"}});
    Parsed bad(missingUninstall);
    EXPECT_FALSE(bad.complete);
    EXPECT_EQ(bad.c.config.driverScriptSets, nullptr);
    EXPECT_EQ(viewOf(bad.c.config.company), u"Kept");

    for (const char16_t* path : {u"drv\\InstallHid.bat", u"drv\\Gone.bat"}) {
        Script index4;
        index4.drivers({{0, u"drv\\InstallHid.bat"}, {4, path}});
        Parsed p(index4);
        EXPECT_FALSE(p.complete);
        EXPECT_EQ(p.c.config.driverScriptSets, nullptr);
    }
}

TEST(InstallScript, LaterLicenceOfTheSameLanguageIsFoundFirst) {
    Script s;
    s.licence(1, u"Lic.txt");
    s.licence(1, u"App.exe");
    s.licence(7, u"Nothing.txt");
    Parsed p(s);
    ASSERT_EQ(lengthOf(p.c.config.licenceFiles), 2u);
    EXPECT_EQ(pathOf(p.c.config.licenceFiles->file), u"App.exe");
}

TEST(InstallScript, ClearingKeepsNamesAndTreeOnly) {
    LoadedConfig c;
    ASSERT_TRUE(c.load(shippedPackage()));
    clearInstallScript(c.config);
    EXPECT_EQ(c.config.mainApp, nullptr);
    EXPECT_EQ(c.config.extraProgram, nullptr);
    EXPECT_EQ(c.config.uninstaller, nullptr);
    EXPECT_EQ(c.config.startMenuShortcuts, nullptr);
    EXPECT_EQ(c.config.services, nullptr);
    EXPECT_EQ(c.config.driverScriptSets, nullptr);
    EXPECT_EQ(c.config.licenceFiles, nullptr);
    EXPECT_EQ(viewOf(c.config.company), u"Brenmark");
    EXPECT_NE(c.config.fileTree, nullptr);
}

TEST(InstallScript, WithoutATreeNothingChanges) {
    InstallConfig config;
    copyText(config.company, u"Old");
    Script s;
    s.text(0, u"New");
    auto blob = package(s, smallTree());
    EXPECT_FALSE(parseInstallScript(blob.data() + 4, blob.size() - 4, config));
    EXPECT_EQ(viewOf(config.company), u"Old");
}

TEST(InstallScript, RecordsRunningPastTheBlockStopTheParseInsideIt) {
    // A string whose terminator lies beyond L: the parse stops at L, not at the file block.
    Script unterminated;
    unterminated.path(1, u"App.exe");
    unterminated.head(0);
    unterminated.raw({'A', 0, 'B', 0});
    Parsed p(unterminated);
    EXPECT_FALSE(p.complete);
    EXPECT_EQ(pathOf(p.c.config.mainApp), u"App.exe");
    EXPECT_STREQ(p.stop.reason, "string without terminator");

    Script cutAfterPath;
    cutAfterPath.head(5);
    cutAfterPath.b.text(u"App.exe");
    Parsed q(cutAfterPath);
    EXPECT_FALSE(q.complete);
    EXPECT_STREQ(q.stop.reason, "record runs past the end of the script");

    Script lone;
    lone.raw({3});
    Parsed r(lone);
    EXPECT_FALSE(r.complete);
}

TEST(InstallScript, OverlongNamesStopTheParseAndNeverReplaceTheOldName) {
    Script s;
    s.text(0, u"Brenmark");
    s.text(0, std::u16string(260, u'x'));
    s.text(13, u"Never");
    Parsed p(s);
    EXPECT_FALSE(p.complete);
    EXPECT_EQ(viewOf(p.c.config.company), u"Brenmark");
    EXPECT_EQ(viewOf(p.c.config.product), u"");
    EXPECT_STREQ(p.stop.reason, "string longer than 259 units");

    Script longName;
    longName.named(3, u"App.exe", std::u16string(300, u'n'));
    Parsed q(longName);
    EXPECT_FALSE(q.complete);
    EXPECT_EQ(q.c.config.startMenuShortcuts, nullptr);
}
