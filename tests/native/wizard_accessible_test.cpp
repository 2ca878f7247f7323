// What a screen reader learns of the wizard on the fake machine: the children of every page with
// their names, roles, places and focus, the licence whole, the status line's name changes, the
// focus events that follow the keys, and a button pressed as its default action.
#include <gtest/gtest.h>

#include "run/DeviceWait.h"
#include "tests/support/WizardMachine.h"
#include "wizard/AccessibleWizard.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

using namespace testpkg;
using platform::AccessItem;
using platform::AccessRole;

namespace {

std::vector<std::u16string> names(const std::vector<AccessItem>& items) {
    std::vector<std::u16string> out;
    for (const AccessItem& i : items) out.push_back(i.name);
    return out;
}

int focusedChild(const std::vector<AccessItem>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].focused) return int(i) + 1;
    }
    return 0;
}

struct Accessible : testing::Test {
    WizardMachine w;
    void shown() {
        ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    }
};

}  // namespace

TEST_F(Accessible, TheLanguagePageReadsEachLanguageInItsOwnName) {
    w.host.userLanguage = 1040;
    w.start();
    shown();
    std::vector<AccessItem> items = describeWizard();
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(names(items), (std::vector<std::u16string>{
                                u"Select Language:", u"\u7B80\u4F53\u4E2D\u6587", u"English",
                                u"Italiano", u"Deutsch", u"\uD55C\uAD6D\uC5B4", u"Close"}));
    EXPECT_EQ(items[0].role, AccessRole::StaticText);
    EXPECT_FALSE(items[0].focusable);
    for (int i = 1; i < 7; ++i) {
        EXPECT_EQ(items[i].role, AccessRole::PushButton);
        EXPECT_TRUE(items[i].focusable);
    }
    EXPECT_TRUE(items[3].rect == (platform::Rect{300, 330, 60, 16}));
    EXPECT_TRUE(items[6].rect == (platform::Rect{512, 7, 16, 16}));
    EXPECT_EQ(focusedChild(items), 4) << "Italian, the user's language";
    EXPECT_EQ(w.host.accessEvents.front(), "focus 4");
}

TEST_F(Accessible, TheLicencePageGivesTheWholeTextTheFolderAndItsButtons) {
    w.start();
    shown();
    ASSERT_TRUE(onKey(WizardKey::Enter));
    shown();
    wizardWidgets.licenceView.setText(u"First line\r\n\r\nSecond line\r\nThird");
    std::vector<AccessItem> items = describeWizard();
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].name, u"License Agreement");
    EXPECT_EQ(items[1].role, AccessRole::Document);
    EXPECT_EQ(items[1].name, u"First line\r\n\r\nSecond line\r\nThird");
    EXPECT_EQ(items[2].name, u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    EXPECT_EQ(names(items).back(), u"Close");
    EXPECT_EQ(items[3].name, u"Browse");
    EXPECT_EQ(items[4].name, u"Agree");
    EXPECT_EQ(items[5].name, u"Disagree");
    EXPECT_EQ(focusedChild(items), 5);
    EXPECT_EQ(w.host.accessEvents.back(), "focus 5");

    // The keys move the focus, and the reader is told each move.
    ASSERT_TRUE(onKey(WizardKey::ShiftTab));
    EXPECT_EQ(w.host.accessEvents.back(), "focus 4");
    EXPECT_EQ(focusedChild(describeWizard()), 4);
}

TEST_F(Accessible, TheCloseButtonIsReadInTheWizardsLanguage) {
    w.host.userLanguage = 1031;
    w.start();
    shown();
    ASSERT_TRUE(onKey(WizardKey::Enter));
    EXPECT_EQ(names(describeWizard()).back(), u"Schlie\u00DFen");
}

TEST_F(Accessible, TheStatusLineAnnouncesEveryChangeOnTheProgressPage) {
    w.start();
    shown();
    ASSERT_TRUE(onKey(WizardKey::Enter));
    shown();
    ASSERT_TRUE(onKey(WizardKey::Enter));  // Agree
    shown();
    w.host.accessEvents.clear();
    w.plugTouchDevice();
    onDeviceChange(0x0007, nullptr, 0);
    ASSERT_EQ(wizardState.currentPage, ProgressPage);
    // Every status line the worker sent was announced as a name change of child 1.
    int names = 0;
    for (const std::string& e : w.host.accessEvents) names += e == "name 1" ? 1 : 0;
    EXPECT_EQ(names, int(w.statusLines().size()));
    EXPECT_GT(names, 3);
    std::vector<AccessItem> items = describeWizard();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, u"Installation Complete!");
}

TEST_F(Accessible, AStatusSetOffTheProgressPageIsNotAnnounced) {
    w.start();
    shown();
    announceNameChange(&wizardWidgets.statusLabel);
    announceNameChange(nullptr);
    for (const std::string& e : w.host.accessEvents) EXPECT_EQ(e.rfind("name", 0), e.npos);
}

TEST_F(Accessible, TheDefaultActionPressesButtonsOnlyWhenTheyCanBePressed) {
    w.start();
    EXPECT_FALSE(pressAccessChild(3)) << "during the fade-in";
    shown();
    EXPECT_FALSE(pressAccessChild(1)) << "a text";
    EXPECT_FALSE(pressAccessChild(0));
    EXPECT_FALSE(pressAccessChild(8));
    EXPECT_FALSE(pressAccessChild(-1));
    EXPECT_TRUE(pressAccessChild(3));  // English
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    shown();
    EXPECT_TRUE(pressAccessChild(5));  // Agree
    EXPECT_EQ(wizardState.currentPage, DevicePage);
}
