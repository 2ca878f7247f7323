#include <gtest/gtest.h>

#include "engine/UninstallLog.h"
#include "tests/support/PackageFixture.h"

using testpkg::FakeFilesScope;

namespace {

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> list) {
    std::vector<std::uint8_t> out;
    for (int b : list) out.push_back(std::uint8_t(b));
    return out;
}

std::vector<std::uint8_t> headerCoPr() {
    return bytesOf({0x44, 0, 0x3A, 0, 0, 0, 0x43, 0, 0x6F, 0, 0, 0, 0x50, 0, 0x72, 0, 0, 0});
}

}  // namespace

TEST(UninstallLogFile, SavesTheDocumentedBytesAndListsItselfLast) {
    FakeFilesScope scope;
    UninstallLog log;
    copyText(log.root, u"D:");
    copyText(log.company, u"Co");
    copyText(log.product, u"Pr");
    appendText(log, LOG_FOLDER, u"D:");
    ASSERT_TRUE(saveLog(log, u"C:\\u.log"));
    auto expected = headerCoPr();
    auto folder = bytesOf({0x13, 6, 0, 0, 0, 0x44, 0, 0x3A, 0, 0, 0});
    expected.insert(expected.end(), folder.begin(), folder.end());
    auto self = bytesOf({0, 18, 0, 0, 0});  // eight units and the terminator
    for (char16_t c : std::u16string(u"C:\\u.log\0", 9))
        self.push_back(std::uint8_t(c)), self.push_back(0);
    expected.insert(expected.end(), self.begin(), self.end());
    EXPECT_EQ(scope.fs.contents(u"C:\\u.log"), expected);
    ASSERT_NE(log.last, nullptr);
    EXPECT_EQ(log.last->type, LOG_FILE);
    EXPECT_EQ(log.cursor, log.first);
}

TEST(UninstallLogFile, RoundTripKeepsOrderTypesAndUnknownRecords) {
    FakeFilesScope scope;
    UninstallLog log;
    copyText(log.root, u"C:\\Program Files");
    copyText(log.company, u"Brenmark");
    copyText(log.product, u"KorvelServerV6");
    appendText(log, LOG_FILE, u"C:\\a.exe");
    appendRegistryKey(log, 0x80000002u, u"SOFTWARE\\KorvelServerV5");
    appendText(log, LOG_DRIVER_SCRIPT, u"");
    appendRecord(log, 21, "\x01\x02\x03", 3);
    appendText(log, LOG_SERVICE_STARTED, u"VantrelService");
    ASSERT_TRUE(saveLog(log, u"C:\\uninstall.log"));

    UninstallLog back;
    LogDamage damage;
    ASSERT_TRUE(loadLog(back, u"C:\\uninstall.log", &damage));
    EXPECT_FALSE(damage.truncated);
    EXPECT_EQ(viewOf(back.product), u"KorvelServerV6");
    std::vector<int> types;
    for (LogRecord* r = back.first; r; r = r->next) types.push_back(r->type);
    EXPECT_EQ(types, (std::vector<int>{0, 2, 3, 21, 16, 0}));
    EXPECT_EQ(back.cursor, back.first);
    EXPECT_EQ(back.last->prev->type, LOG_SERVICE_STARTED);

    std::uint32_t root = 0;
    TextBuffer path;
    ASSERT_TRUE(recordRegistryKey(*back.first->next, root, path));
    EXPECT_EQ(root, 0x80000002u);
    EXPECT_EQ(viewOf(path), u"SOFTWARE\\KorvelServerV5");
    ASSERT_TRUE(recordText(*back.first->next->next, path));  // only the terminator
    EXPECT_EQ(viewOf(path), u"");
    EXPECT_EQ(back.first->next->next->next->data, bytesOf({1, 2, 3}));
}

TEST(UninstallLogFile, ARecordRunningPastTheEndEndsTheLoadThere) {
    auto file = headerCoPr();
    auto good = bytesOf({0x13, 2, 0, 0, 0, 0, 0});
    file.insert(file.end(), good.begin(), good.end());
    std::size_t badAt = file.size();
    auto bad = bytesOf({0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2});
    file.insert(file.end(), bad.begin(), bad.end());
    UninstallLog log;
    LogDamage damage;
    ASSERT_TRUE(parseLog(log, file.data(), file.size(), &damage));
    EXPECT_TRUE(damage.truncated);
    EXPECT_EQ(damage.offset, badAt);
    ASSERT_NE(log.first, nullptr);
    EXPECT_EQ(log.first, log.last);

    // Fewer than the five bytes of a record head.
    auto stub = headerCoPr();
    stub.push_back(0x13);
    stub.push_back(0);
    ASSERT_TRUE(parseLog(log, stub.data(), stub.size(), &damage));
    EXPECT_EQ(log.first, nullptr);
    EXPECT_EQ(damage.offset, headerCoPr().size());
}

TEST(UninstallLogFile, DamagedHeadersRejectTheLog) {
    UninstallLog log;
    std::vector<std::uint8_t> longRoot;
    for (int i = 0; i < 260; ++i) longRoot.push_back('x'), longRoot.push_back(0);
    longRoot.insert(longRoot.end(), {0, 0, 0, 0, 0, 0});
    EXPECT_FALSE(parseLog(log, longRoot.data(), longRoot.size()));
    auto cut = headerCoPr();
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(parseLog(log, cut.data(), cut.size()));
    EXPECT_FALSE(parseLog(log, nullptr, 0));
    FakeFilesScope scope;
    EXPECT_FALSE(loadLog(log, u"C:\\missing.log"));
}

TEST(UninstallLogFile, RecordTextsAreOnlyTakenWhenWellFormed) {
    LogRecord r;
    TextBuffer text;
    r.data = bytesOf({'a', 0, 'b', 0});  // no terminator
    EXPECT_FALSE(recordText(r, text));
    r.data = bytesOf({'a', 0, 0});  // odd length
    EXPECT_FALSE(recordText(r, text));
    r.data = bytesOf({'a', 0, 0, 0, 'b', 0, 0, 0});  // a NUL inside would hide the rest
    EXPECT_FALSE(recordText(r, text));
    r.data.assign(261 * 2, 'x');
    r.data[520] = r.data[521] = 0;
    EXPECT_FALSE(recordText(r, text));
    r.data.assign(260 * 2, 'x');
    r.data[518] = r.data[519] = 0;
    EXPECT_TRUE(recordText(r, text));
    EXPECT_EQ(textLength(text), 259u);
    std::uint32_t root = 0;
    r.data = bytesOf({2, 0, 0});
    EXPECT_FALSE(recordRegistryKey(r, root, text));
}

TEST(UninstallLogFile, SaveFailsWhenTheFileCannotBeWritten) {
    FakeFilesScope scope;
    UninstallLog log;
    EXPECT_FALSE(saveLog(log, u"C:\\NoFolder\\uninstall.log"));
    scope.fs.makeWritesShort(u"C:\\short.log");
    EXPECT_FALSE(saveLog(log, u"C:\\short.log"));
}

// A planted log may be as large as the disk allows; it is refused by its size before a byte of
// it is read, instead of becoming one heap record per five bytes.
TEST(UninstallLogFile, ALogOverTheSizeLimitIsRefusedBeforeItIsRead) {
    const std::size_t limit = kMaxLogBytes;
    EXPECT_EQ(limit, 16u * 1024 * 1024);
    auto file = headerCoPr();
    std::size_t data = limit - file.size() - 5;
    file.push_back(21);  // one unknown record fills the rest
    for (int i = 0; i < 4; ++i) file.push_back(std::uint8_t(data >> (8 * i)));
    file.resize(limit, 0xAB);
    FakeFilesScope scope;
    scope.fs.addFile(u"C:\\at-limit.log", file);
    file.push_back(0);
    scope.fs.addFile(u"C:\\over-limit.log", file);
    UninstallLog log;
    ASSERT_TRUE(loadLog(log, u"C:\\at-limit.log"));
    ASSERT_NE(log.first, nullptr);
    EXPECT_EQ(log.first->data.size(), data);
    std::size_t readBefore = scope.fs.bytesRead();
    EXPECT_FALSE(loadLog(log, u"C:\\over-limit.log"));
    EXPECT_EQ(log.first, nullptr);
    EXPECT_EQ(scope.fs.bytesRead(), readBefore);
}
