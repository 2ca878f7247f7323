#include "WizardFakes.h"
#include "package/FileTree.h"
#include "platform/FolderPicker.h"
#include "wizard/FolderBrowser.h"
#include "wizard/Records.h"
#include "wizard/Widgets.h"

namespace {

using fake::DrawOp;
using platform::FolderChoice;

// Bold 12-pixel outlines are 7.2 pixels a character in the fake: 66 fit in 480.
class Browser : public wizfake::WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        build();
        copyText(installConfig->company, u"Brenmark");
        copyText(installConfig->product, u"KorvelServerV6");
        installConfig->fileTree = &tree;
        copyText(workerParameter.installRoot, u"C:\\Program Files");
        wizardWidgets.pathLabel.setText(u"C:\\Program Files\\Brenmark\\KorvelServerV6");
        wizardWidgets.pathLabel.dirty = false;
    }
    void TearDown() override {
        installConfig->fileTree = nullptr;
        WizardTest::TearDown();
    }
    std::u16string root() const { return std::u16string(viewOf(workerParameter.installRoot)); }
    const std::u16string& label() const { return wizardWidgets.pathLabel.text; }

    PackageRoot tree;
};

TEST_F(Browser, ACancelledOrPathlessChoiceKeepsRootAndLabel) {
    picker.answer(FolderChoice::Cancelled);
    picker.answer(FolderChoice::NoPath);
    browseForInstallRoot();
    browseForInstallRoot();
    EXPECT_EQ(root(), u"C:\\Program Files");
    EXPECT_EQ(label(), u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    EXPECT_FALSE(wizardWidgets.pathLabel.dirty);
    // The chooser's title is the same fixed Chinese text, whatever the language.
    EXPECT_EQ(picker.titles,
              (std::vector<std::u16string>(2, u"\u9009\u62e9\u76ee\u6807\u8def\u5f84")));
}

TEST_F(Browser, ADriveRootLosesItsBackslashAndTheLabelIsMeasuredBold12) {
    picker.answer(FolderChoice::Chosen, u"D:\\");
    browseForInstallRoot();
    EXPECT_EQ(root(), u"D:");
    EXPECT_EQ(label(), u"D:\\Brenmark\\KorvelServerV6");
    EXPECT_TRUE(wizardWidgets.pathLabel.dirty);
    EXPECT_EQ(ops({DrawOp::PathWidth}),
              (std::vector<std::string>{"pathwidth 'D:\\Brenmark\\KorvelServerV6' 12b"}));
}

TEST_F(Browser, ALongFolderIsShortenedFromTheLeftInTwoSteps) {
    // 42 + 1 + 8 + 1 + 14 = 66 characters fit; 67 do not.
    std::u16string fits(42, u'a'), tooLong(43, u'a');
    picker.answer(FolderChoice::Chosen, fits);
    browseForInstallRoot();
    EXPECT_EQ(label(), fits + u"\\Brenmark\\KorvelServerV6");
    picker.answer(FolderChoice::Chosen, tooLong);
    browseForInstallRoot();
    EXPECT_EQ(label(), u"..\\Brenmark\\KorvelServerV6");
    EXPECT_EQ(root(), tooLong);  // the root itself is whole

    // A company name too long even for "..\": only the product is kept.
    copyText(installConfig->company, std::u16string(60, u'c'));
    picker.answer(FolderChoice::Chosen, u"E:\\x");
    browseForInstallRoot();
    EXPECT_EQ(label(), u"..\\..\\KorvelServerV6");
}

TEST_F(Browser, WithoutAFileTreeTheCompanyFolderIsEmpty) {
    installConfig->fileTree = nullptr;
    picker.answer(FolderChoice::Chosen, u"C:\\Apps\\");
    browseForInstallRoot();
    EXPECT_EQ(root(), u"C:\\Apps");
    EXPECT_EQ(label(), u"C:\\Apps\\\\KorvelServerV6");
}

TEST_F(Browser, AFullLengthPathIsNeverCut) {
    // 259 units, the most the chooser's buffer holds: the root keeps them all and the label
    // is composed beyond 260 units before it is shortened.
    std::u16string longest = u"C:\\" + std::u16string(256, u'p');
    picker.answer(FolderChoice::Chosen, longest);
    browseForInstallRoot();
    EXPECT_EQ(root(), longest);
    EXPECT_EQ(ops({DrawOp::PathWidth}).front(),
              "pathwidth '" + utf16ToUtf8(longest) + "\\Brenmark\\KorvelServerV6' 12b");
    EXPECT_EQ(label(), u"..\\Brenmark\\KorvelServerV6");
}

TEST(FolderLabel, TheFirstFormThatFitsTheLimitIsTaken) {
    fake::RecordingDrawing drawing;
    platform::Platform saved = platform::os();
    platform::os().drawing = &drawing;
    // Exactly at the limit fits: 10 characters of 7.2 are 72.
    EXPECT_EQ(installFolderLabel(u"ROOT", u"abc", u"c", 72), u"ROOT\\abc\\c");
    EXPECT_EQ(installFolderLabel(u"ROOT", u"abc", u"c", 71), u"..\\abc\\c");  // 57.6
    EXPECT_EQ(installFolderLabel(u"ROOT", u"abc", u"c", 57), u"..\\..\\c");
    EXPECT_EQ(installFolderLabel(u"ROOT", u"abc", u"c", 0), u"..\\..\\c");
    platform::os() = saved;
}

}  // namespace
