#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/Text.h"
#include "text/MessageTable.h"

namespace {

std::string utf8Of(MessageId id) {
    return utf16ToUtf8(viewOf(messageText(id)));
}

// The reviewed texts, one "slot<TAB>identifier<TAB>text" line per slot, kept with the tool tests.
std::vector<std::string> reviewedLines(std::uint32_t langId) {
    std::ifstream in(std::string(TS_SOURCE_DIR) + "/tests/tools/messages/" +
                     std::to_string(langId) + ".txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class MessageTableTest : public testing::Test {
protected:
    void TearDown() override { clearMessageTable(); }
};

TEST_F(MessageTableTest, EveryLanguageMatchesTheReviewedTexts) {
    for (std::uint32_t langId : {2052u, 1033u, 1040u, 1031u, 1042u}) {
        std::vector<std::string> lines = reviewedLines(langId);
        ASSERT_EQ(lines.size(), std::size_t(kMessageCount)) << langId;
        buildMessageTable(langId);
        for (int slot = 0; slot < kMessageCount; ++slot) {
            std::string line = std::to_string(slot) + "\t" + messageIdentifier(slot) + "\t" +
                               utf8Of(MessageId(slot));
            EXPECT_EQ(line, lines[slot]) << "LANGID " << langId;
        }
    }
}

// Independent of the reviewed files: the characters that are easy to lose in an edit.
TEST_F(MessageTableTest, TrickyCharactersAreStoredExactly) {
    buildMessageTable(2052);
    // Full-width colon U+FF1A, not ":".
    EXPECT_EQ(utf8Of(MSG_INSTALL_PATH),
              "\xE5\xAE\x89\xE8\xA3\x85\xE8\xB7\xAF\xE5\xBE\x84\xEF\xBC\x9A");
    // Two U+2026 at the end, full-width commas U+FF0C inside.
    std::u16string drivers(viewOf(messageText(MSG_INSTALLING_DRIVERS)));
    EXPECT_EQ(drivers.size(), 22u);
    EXPECT_EQ(drivers.substr(20), u"\u2026\u2026");
    EXPECT_EQ(drivers[6], u'\uFF0C');
    // Plain ASCII "?" and " ..." where the table has them.
    EXPECT_EQ(std::u16string(viewOf(messageText(MSG_CONFIRM_CANCEL))).back(), u'?');
    EXPECT_EQ(utf8Of(MSG_PREPARING), "\xE5\x87\x86\xE5\xA4\x87\xE5\xAE\x89\xE8\xA3\x85 ...");

    buildMessageTable(1040);
    EXPECT_EQ(utf8Of(MSG_PLUG_DEVICE), "Collegare la periferica multi-touch\xE2\x80\xA6");
    buildMessageTable(1031);
    EXPECT_EQ(utf8Of(MSG_BROWSE), "Bl\xC3\xA4ttern");
    EXPECT_EQ(utf8Of(MSG_PREVIOUS_VERSION), "Fr\xC3\xBChere Version gefunden, wird deinstalliert!");
    EXPECT_EQ(utf8Of(MSG_CONFIGURING_SERVICE),
              "Konfiguration der Service- Schnittstelle\xE2\x80\xA6");
    EXPECT_EQ(utf8Of(MSG_STOPPING_SERVICE), "Anhalten Service- Schnittstelle...");
    buildMessageTable(1042);
    EXPECT_EQ(utf8Of(MSG_AGREE), "\xEB\x8F\x99\xEC\x9D\x98\xED\x95\xA8");
}

TEST_F(MessageTableTest, TrailingBlanksArePartOfTheTexts) {
    struct Blank {
        std::uint32_t langId;
        MessageId id;
        std::size_t length;
    };
    const Blank expected[] = {
        {1031, MSG_LICENSE_TITLE, 19},      {1033, MSG_COPYING_FILE, 13},
        {1042, MSG_INSTALLING_DRIVERS, 30}, {1031, MSG_UNINSTALLING_DRIVER, 29},
        {1042, MSG_INSTALLING_SERVICE, 28}, {1031, MSG_ERROR_SERVICE, 131},
    };
    int blanks = 0;
    for (std::uint32_t langId : {2052u, 1033u, 1040u, 1031u, 1042u}) {
        buildMessageTable(langId);
        for (int slot = 0; slot < kMessageCount; ++slot) {
            std::u16string text(viewOf(messageText(MessageId(slot))));
            if (text.empty() || text.back() != u' ') continue;
            ++blanks;
            bool listed = false;
            for (const Blank& b : expected) {
                if (b.langId == langId && b.id == slot) {
                    listed = true;
                    EXPECT_EQ(text.size(), b.length) << langId << " slot " << slot;
                    EXPECT_NE(text[text.size() - 2], u' ') << "exactly one blank";
                }
            }
            EXPECT_TRUE(listed) << langId << " slot " << slot;
        }
    }
    EXPECT_EQ(blanks, 6);
}

TEST_F(MessageTableTest, UnlistedLanguagesGetEnglish) {
    buildMessageTable(1033);
    std::vector<std::string> english;
    for (int slot = 0; slot < kMessageCount; ++slot) english.push_back(utf8Of(MessageId(slot)));
    EXPECT_EQ(english[MSG_COPYING_FILE], "Copying file ");
    for (std::uint32_t langId : {3082u, 0u, 2057u, 1028u, 4100u, 0xFFFFu, 2052u + 0x10000u}) {
        buildMessageTable(langId);
        for (int slot = 0; slot < kMessageCount; ++slot) {
            EXPECT_EQ(utf8Of(MessageId(slot)), english[slot]) << langId;
        }
    }
}

TEST_F(MessageTableTest, RebuildReplacesEverySlotAndKeepsSlotZeroEnglish) {
    EXPECT_EQ(messageText(MSG_SELECT_LANGUAGE), nullptr) << "none before the first build";
    buildMessageTable(1042);
    std::u16string first(viewOf(messageText(MSG_DISAGREE)));
    buildMessageTable(1042);
    EXPECT_EQ(viewOf(messageText(MSG_DISAGREE)), first);
    EXPECT_EQ(viewOf(messageText(MSG_SELECT_LANGUAGE)), u"Select Language:");
    buildMessageTable(1033);
    for (int slot = 0; slot < kMessageCount; ++slot) {
        ASSERT_NE(messageText(MessageId(slot)), nullptr) << slot;
    }
    EXPECT_EQ(viewOf(messageText(MSG_DISAGREE)), u"Disagree");
    EXPECT_EQ(messageText(MessageId(kMessageCount)), nullptr);
    EXPECT_EQ(messageIdentifier(kMessageCount), nullptr);
}

TEST(LanguageIndex, ListedLanguagesHaveTheirOwnIndexAndTheRestAreEnglish) {
    EXPECT_EQ(languageIndex(2052), 0);
    EXPECT_EQ(languageIndex(1033), 1);
    EXPECT_EQ(languageIndex(1040), 2);
    EXPECT_EQ(languageIndex(1031), 3);
    EXPECT_EQ(languageIndex(1042), 4);
    EXPECT_EQ(languageIndex(3082), 1);
    EXPECT_EQ(languageIndex(0), 1);
    EXPECT_EQ(languageIndex(1028), 1);
}

}  // namespace
