// The worker's status messages as the window turns them into a status line or an error box.
#include <gtest/gtest.h>

#include <vector>

#include "engine/StatusCode.h"
#include "text/MessageTable.h"
#include "wizard/StatusLines.h"

namespace {

std::vector<std::uint8_t> bytesOf(const std::u16string& text, bool terminator = true) {
    std::vector<std::uint8_t> out;
    for (char16_t c : text) {
        out.push_back(std::uint8_t(c & 0xFF));
        out.push_back(std::uint8_t(c >> 8));
    }
    if (terminator) out.insert(out.end(), {0, 0});
    return out;
}

struct StatusLines : testing::Test {
    void SetUp() override { buildMessageTable(1033); }
    void TearDown() override { clearMessageTable(); }
};

}  // namespace

TEST_F(StatusLines, ProgressCodesPutTheMessageAndTheWorkerTextOnTwoLines) {
    const std::u16string path = u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe";
    struct Case {
        std::uint32_t code;
        std::u16string line;
    };
    const Case cases[] = {
        {ST_COPYING_FILE, u"Copying file \r\n" + path},
        {ST_DELETING_FILE, u"Deleting file\r\n" + path},
        {ST_INSTALLING_DRIVER,
         u"Installing drivers, this may take several minutes, please wait...\r\n" + path},
        {ST_INSTALLING_SERVICE, u"Installing servicing interface... \r\n" + path},
        {ST_UNINSTALLING_DRIVER, u"Uninstalling driver...\r\n" + path},
        {ST_REMOVING_SERVICE, u"Uninstalling servicing interface...\r\n" + path},
        {ST_STARTING_SERVICE, u"Configuring servicing interface...\r\n" + path},
        {ST_STOPPING_SERVICE, u"Stopping servicing interface...\r\n" + path},
        {ST_PREVIOUS_VERSION, u"Previous version found, uninstalling\r\n" + path},
    };
    for (const Case& c : cases) {
        StatusEffect e = statusEffect(c.code, path);
        EXPECT_EQ(e.kind, StatusEffect::StatusLine) << c.code;
        EXPECT_TRUE(e.text == c.line) << c.code;
    }
}

TEST_F(StatusLines, EndOfRunCodesShowTheirMessageAloneAndIgnoreTheText) {
    StatusEffect cancelled = statusEffect(ST_CANCELLED, u"ignored");
    StatusEffect complete = statusEffect(ST_COMPLETE, u"ignored");
    EXPECT_TRUE(cancelled.text == u"Installation Cancelled!");
    EXPECT_TRUE(complete.text == u"Installation Complete!");
    EXPECT_EQ(statusEffect(ST_WORKER_DONE, u"x").kind, StatusEffect::WorkerDone);
}

TEST_F(StatusLines, ErrorCodesBecomeABoxWithTheWorkerTextAndTheLanguagesCaption) {
    buildMessageTable(1031);
    StatusEffect file = statusEffect(ST_FILE_ERROR, u"C:\\x.dll");
    EXPECT_EQ(file.kind, StatusEffect::ErrorBox);
    EXPECT_TRUE(file.text == u"C:\\x.dll");
    EXPECT_TRUE(std::u16string(file.caption) == u"Fehler bei der Datei");
    EXPECT_EQ(statusEffect(ST_DRIVER_ERROR, u"").kind, StatusEffect::ErrorBox);
    StatusEffect service = statusEffect(ST_SERVICE_ERROR, u"s.exe");
    EXPECT_TRUE(std::u16string(service.caption) == std::u16string(messageText(MSG_ERROR_SERVICE)));
}

TEST_F(StatusLines, APreviousVersionLeftBehindIsAnErrorBoxNamingWhatStayedInTheLanguage) {
    buildMessageTable(1031);
    StatusEffect left = statusEffect(ST_PREVIOUS_VERSION_LEFT, u"C:\\P\\svc.exe", 1031);
    EXPECT_EQ(left.kind, StatusEffect::ErrorBox);
    EXPECT_TRUE(left.text.starts_with(u"C:\\P\\svc.exe konnte nicht vollst\u00e4ndig"));
    EXPECT_TRUE(std::u16string(left.caption) == std::u16string(messageText(MSG_PREVIOUS_VERSION)));
}

TEST_F(StatusLines, CodesWithoutAMeaningAreIgnored) {
    for (std::uint32_t code : {2u, 7u, 8u, 9u, 10u, 19u, 20u, 21u, 22u, 27u, 0xFFFFFFFFu}) {
        EXPECT_EQ(statusEffect(code, u"text").kind, StatusEffect::Ignore) << code;
    }
}

TEST_F(StatusLines, LinesFollowTheLanguageLoadedNow) {
    buildMessageTable(2052);
    EXPECT_TRUE(statusEffect(ST_COPYING_FILE, u"a").text == u"正在复制文件\r\na");
    buildMessageTable(1042);
    EXPECT_TRUE(statusEffect(ST_INSTALLING_SERVICE, u"b").text ==
                u"서버 설치중, 시간이 소요 되니 잠시만 기다리세요  \r\nb");
}

TEST_F(StatusLines, ALongPathIsKeptWhole) {
    std::u16string path(600, u'p');
    EXPECT_EQ(statusEffect(ST_COPYING_FILE, path).text.size(), 13 + 2 + 600u);
}

TEST(WorkerText, StopsAtTheFirstNulAndNeverReadsPastTheSize) {
    auto bytes = bytesOf(u"C:\\a");
    EXPECT_TRUE(workerText(bytes.data(), bytes.size()) == u"C:\\a");
    auto inner = bytesOf(std::u16string(u"ab\0cd", 5));
    EXPECT_TRUE(workerText(inner.data(), inner.size()) == u"ab");
    auto open = bytesOf(u"abc", false);
    EXPECT_TRUE(workerText(open.data(), open.size()) == u"abc");
    EXPECT_TRUE(workerText(open.data(), open.size() - 1) == u"ab");  // an odd byte is dropped
    EXPECT_TRUE(workerText(nullptr, 40).empty());
    EXPECT_TRUE(workerText(open.data(), 0).empty());
}
