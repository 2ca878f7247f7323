#include <gtest/gtest.h>

#include "common/Endpoint.h"
#include "common/Text.h"

TEST(PathHelpers, FileNameStemAndParentFollowTheLastBackslash) {
    EXPECT_EQ(fileNameOf(u"C:\\a\\b.exe"), u"b.exe");
    EXPECT_EQ(fileNameOf(u"plain"), u"plain");
    EXPECT_EQ(fileNameOf(u"C:\\a\\"), u"");
    EXPECT_EQ(fileNameOf(u""), u"");
    EXPECT_EQ(stemOf(u"C:\\x.y\\Korvel.Panel.exe -h"), u"Korvel");
    EXPECT_EQ(stemOf(u"C:\\dir\\noext"), u"noext");
    EXPECT_EQ(stemOf(u""), u"");
    EXPECT_EQ(parentOf(u"C:\\a\\b\\c.exe"), u"C:\\a\\b");
    // The search stops at the second character: a leading backslash is no parent.
    EXPECT_EQ(parentOf(u"\\name"), u"\\name");
    EXPECT_EQ(parentOf(u"name"), u"name");
    EXPECT_EQ(parentOf(u"a\\"), u"a");
}

TEST(BoundedText, CopiesAndJoinsRefuseWhatDoesNotFit) {
    TextBuffer buf;
    std::u16string fits(259, u'x');
    EXPECT_TRUE(copyText(buf, fits));
    EXPECT_EQ(viewOf(buf), fits);
    EXPECT_FALSE(copyText(buf, fits + u"y"));
    EXPECT_EQ(viewOf(buf), u"");

    std::u16string a(200, u'a'), b(58, u'b');
    EXPECT_TRUE(joinPath(buf, a, b));  // 200 + 1 + 58 = 259
    EXPECT_FALSE(joinPath(buf, a, b + u"c"));
    EXPECT_TRUE(joinPath(buf, u"C:", u"x", u"y"));
    EXPECT_EQ(viewOf(buf), u"C:\\x\\y");
    EXPECT_TRUE(appendText(buf, u"\\z"));
    EXPECT_EQ(viewOf(buf), u"C:\\x\\y\\z");
    std::u16string longTail(255, u't');
    EXPECT_FALSE(appendText(buf, longTail));
    EXPECT_EQ(viewOf(buf), u"C:\\x\\y\\z");
}

TEST(BoundedText, AsciiFoldingLeavesOtherLettersAlone) {
    EXPECT_TRUE(containsIgnoringAsciiCase(u"InstallHidDriver.bat", u"HID"));
    EXPECT_FALSE(containsIgnoringAsciiCase(u"InstallUsbDriver.bat", u"HID"));
    // U+0130 (dotted capital I) must not fold to "i".
    EXPECT_FALSE(containsIgnoringAsciiCase(u"\u0130D", u"id"));
    EXPECT_FALSE(containsIgnoringAsciiCase(u"HI", u"HID"));
}

TEST(Utf, RoundTripsAndReplacesBrokenSequences) {
    std::string mixed = "Ab\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(mixed)), mixed);
    EXPECT_EQ(utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(EndpointText, ReadsAndWritesAddressAndPort) {
    Endpoint e;
    EXPECT_EQ(endpointText(e), u"127.0.0.1:6550");
    ASSERT_TRUE(parseEndpoint(u"0.0.0.0:1", e));
    EXPECT_EQ(endpointText(e), u"0.0.0.0:1");
    ASSERT_TRUE(parseEndpoint(u"255.255.255.255:65535", e));
    EXPECT_EQ(endpointText(e), u"255.255.255.255:65535");
    for (const char16_t* bad : {u"", u":80", u"1.2.3.4:", u"1.2.3.4", u"1.2.3.4:80:1", u"1..3.4:80",
                                u"01.2.3.4:80", u"1.2.3.4:0080", u"1.2.3.4: 80", u" 1.2.3.4:80",
                                u"1.2.3.4:+80", u"1000.2.3.4:80", u"[::1]:80"}) {
        Endpoint untouched;
        EXPECT_FALSE(parseEndpoint(bad, untouched)) << utf16ToUtf8(bad);
        EXPECT_EQ(untouched, kDefaultEndpoint);
    }
}
