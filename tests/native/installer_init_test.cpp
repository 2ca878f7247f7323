// Putting the installer into a language: texts, package, pictures, licence text and the
// default installation folder, from the executable's resources.
#include <gtest/gtest.h>

#include "startup/Settings.h"
#include "tests/support/ShippedPackage.h"
#include "tests/support/WizardMachine.h"
#include "wizard/FolderBrowser.h"
#include "wizard/InstallerInit.h"
#include "wizard/Records.h"
#include "wizard/Widgets.h"

using namespace testpkg;

namespace {

std::vector<std::uint8_t> utf16File(const std::u16string& text) {
    std::vector<std::uint8_t> out = {0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(std::uint8_t(c & 0xFF));
        out.push_back(std::uint8_t(c >> 8));
    }
    return out;
}

// A package whose licence list holds the given (index, text) entries, in record order.
std::vector<std::uint8_t> packageWithLicences(
    const std::vector<std::pair<std::uint8_t, std::u16string>>& licences) {
    Script s;
    s.text(0, u"Co");
    s.text(13, u"Pr");
    std::vector<File> files;
    for (std::size_t i = 0; i < licences.size(); ++i) {
        std::u16string name = u"L" + std::u16string(1, char16_t(u'0' + i)) + u".txt";
        files.push_back({name, utf16File(licences[i].second)});
        s.licence(licences[i].first, name);
    }
    return package(s, fileBlock(u"Pr", files, {}));
}

struct InstallerInit : testing::Test {
    WizardMachine w;
    void SetUp() override { w.start(); }
    std::u16string licenceText() const {
        std::u16string all;
        for (const auto& p : wizardWidgets.licenceView.paragraphs) all += p.text;
        return all;
    }
};

}  // namespace

TEST_F(InstallerInit, EnglishLoadsTheShippedPackageItsLicenceAndTheDefaultFolder) {
    initInstaller(1033);
    ASSERT_NE(installConfig->fileTree, nullptr);
    EXPECT_TRUE(licenceText() == u"Lic");  // the byte-order mark dropped
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    EXPECT_TRUE(std::u16string(workerParameter.installRoot) == u"C:\\Program Files");
    EXPECT_EQ(workerParameter.language, 1033u);
    EXPECT_TRUE(wizardWidgets.statusLabel.text == u"Preparing ...");
    EXPECT_NE(bundlePictures->slots[4], nullptr);
    EXPECT_EQ(wizardWidgets.progressSlideshow.frames, bundlePictures.get());
    EXPECT_EQ(w.resources.locked(), 0);  // every resource released again
}

TEST_F(InstallerInit, AnUnlistedLanguageIsEnglishButKeepsItsOwnLangId) {
    initInstaller(3082);
    EXPECT_TRUE(wizardWidgets.agreeButton.text == u"Agree");
    EXPECT_TRUE(licenceText() == u"Lic");
    EXPECT_EQ(workerParameter.language, 3082u);
}

TEST_F(InstallerInit, TheLicenceOfTheLanguageThenEnglishThenTheHead) {
    w.resources.add(199, u"RES_DATA", packageWithLicences({{1, u"english"}, {3, u"deutsch"}}));
    initInstaller(1031);
    EXPECT_TRUE(licenceText() == u"deutsch");
    initInstaller(2052);
    EXPECT_TRUE(licenceText() == u"english");
    w.resources.add(199, u"RES_DATA", packageWithLicences({{2, u"italiano"}, {4, u"korean"}}));
    initInstaller(1033);
    EXPECT_TRUE(licenceText() == u"korean");  // the head: the last record
}

TEST_F(InstallerInit, LicenceFilesTooShortForATextGiveAnEmptyText) {
    EXPECT_TRUE(licenceTextOf(nullptr, 0).empty());
    const std::uint8_t one[] = {0xFF};
    EXPECT_TRUE(licenceTextOf(one, 1).empty());
    const std::uint8_t bom[] = {0xFF, 0xFE};
    EXPECT_TRUE(licenceTextOf(bom, 2).empty());
    const std::uint8_t odd[] = {0xFF, 0xFE, 'a', 0, 'b'};  // the half unit is dropped
    EXPECT_TRUE(licenceTextOf(odd, 5) == u"a");
    const std::uint8_t inner[] = {0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0};
    EXPECT_TRUE(licenceTextOf(inner, 8) == u"a");
}

TEST_F(InstallerInit, SettingsGiveTheRootEvenWhenTheFolderDoesNotExist) {
    settings = std::make_unique<UnattendedSettings>();
    copyText(settings->installBase, u"E:\\Nowhere");
    initInstaller(1033);
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"E:\\Nowhere\\Brenmark\\KorvelServerV6");
}

TEST_F(InstallerInit, ALanguageChosenAfterBrowsingResetsTheFolder) {
    initInstaller(1033);
    w.picker.answer(platform::FolderChoice::Chosen, u"D:\\");
    browseForInstallRoot();
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"D:\\Brenmark\\KorvelServerV6");
    initInstaller(1031);
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    EXPECT_TRUE(wizardWidgets.browseButton.text == u"Bl\u00e4ttern");
}

TEST_F(InstallerInit, MissingResourcesLeaveAnEmptyConfigurationAndAnEmptySlideshow) {
    w.resources.remove(199, u"RES_DATA");
    w.resources.remove(250, u"RES_IMAGE_DATA");
    initInstaller(1040);
    EXPECT_EQ(installConfig->fileTree, nullptr);
    EXPECT_EQ(installConfig->licenceFiles, nullptr);
    EXPECT_EQ(bundlePictures->slots[0], nullptr);
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"C:\\Program Files\\\\");
    EXPECT_TRUE(wizardWidgets.agreeButton.text == u"Accetto");
}

TEST_F(InstallerInit, APackageThatGoesAwayLeavesNoTreeButTheLastProductName) {
    initInstaller(1033);
    w.resources.remove(199, u"RES_DATA");
    initInstaller(1033);
    EXPECT_EQ(installConfig->fileTree, nullptr);
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"C:\\Program Files\\\\KorvelServerV6");
    EXPECT_NE(bundlePictures->slots[0], nullptr);  // the pictures stay
}
