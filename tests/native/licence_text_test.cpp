// Licence files as release engineers write them, turned into what the wizard reads (UTF-16LE
// after a byte-order mark), and text that would show as mojibake refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/pkgtool/LicenceText.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes utf16le(const std::u16string& text) {
    Bytes out{0xFF, 0xFE};
    for (char16_t unit : text) {
        out.push_back(std::uint8_t(unit & 0xFF));
        out.push_back(std::uint8_t(unit >> 8));
    }
    return out;
}

TEST(LicenceText, Utf8WithOrWithoutMarkBecomesUtf16LeWithMark) {
    // German, Chinese and Korean text, and a character outside the BMP (a surrogate pair).
    const std::string text =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE8\xAE\xB8\xE5\x8F\xAF \xED\x95\x9C "
        "\xF0\x9F\x98\x80\r\nEnd";
    const std::u16string wide = u"Grüße 许可 한 \U0001F600\r\nEnd";
    Bytes out;
    std::string cause;
    ASSERT_TRUE(licenceTextOf(bytesOf(text), out, cause)) << cause;
    EXPECT_EQ(out, utf16le(wide));
    ASSERT_TRUE(licenceTextOf(bytesOf("\xEF\xBB\xBF" + text), out, cause)) << cause;
    EXPECT_EQ(out, utf16le(wide)) << "the UTF-8 mark is not carried as text";
    ASSERT_TRUE(licenceTextOf({}, out, cause));
    EXPECT_EQ(out, utf16le(u"")) << "an empty file is an empty licence";
}

TEST(LicenceText, Utf16KeptOrTurnedLittleEndian) {
    Bytes le = utf16le(u"Licence ü");
    Bytes out;
    std::string cause;
    ASSERT_TRUE(licenceTextOf(le, out, cause));
    EXPECT_EQ(out, le);
    Bytes be{0xFE, 0xFF, 0x00, 'L', 0x8B, 0xB8};
    ASSERT_TRUE(licenceTextOf(be, out, cause));
    EXPECT_EQ(out, utf16le(u"L\u8BB8"));
    EXPECT_FALSE(licenceTextOf(Bytes{0xFF, 0xFE, 'a'}, out, cause));
    EXPECT_NE(cause.find("odd number of bytes"), std::string::npos);
    EXPECT_FALSE(licenceTextOf(Bytes{0xFE, 0xFF, 0x00}, out, cause));
}

TEST(LicenceText, TextInNeitherEncodingIsRefusedWithWhatToDo) {
    const std::vector<std::string> refused = {
        "Lizenzbedingungen f\xFCr",  // Windows-1252
        "\xC0\x80",                  // an overlong NUL
        "\xED\xA0\x80",              // a surrogate written as UTF-8
        "\xF4\x90\x80\x80",          // past U+10FFFF
        "ends inside \xE8\xAE",      // cut off in a character
        "\xEF\xBB\xBF\xFF",          // a mark, then no UTF-8
    };
    for (const std::string& text : refused) {
        Bytes out;
        std::string cause;
        EXPECT_FALSE(licenceTextOf(bytesOf(text), out, cause)) << text;
        EXPECT_NE(cause.find("save it as UTF-8"), std::string::npos) << cause;
    }
}

// Each form is the longest that is too long and the shortest that is not: a check off by one
// at either end refuses a character or lets an overlong form through.
TEST(LicenceText, OverlongFormsAreRefusedAndTheShortestFormsKept) {
    struct Case {
        std::string bytes;
        std::u16string text;  // empty: refused
    };
    const Case cases[] = {
        {"\xC0\x80", u""},                    // NUL in two bytes
        {"\xC1\xBF", u""},                    // U+007F in two bytes
        {"\xC2\x80", u"\u0080"},              // the first two-byte character
        {"\xE0\x80\x80", u""},                // NUL in three bytes
        {"\xE0\x9F\xBF", u""},                // U+07FF in three bytes
        {"\xE0\xA0\x80", u"\u0800"},          // the first three-byte character
        {"\xF0\x80\x80\x80", u""},            // NUL in four bytes
        {"\xF0\x8F\xBF\xBF", u""},            // U+FFFF in four bytes
        {"\xF0\x90\x80\x80", u"\U00010000"},  // the first four-byte character
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},  // the last character there is
    };
    for (const Case& c : cases) {
        Bytes out;
        std::string cause;
        bool kept = licenceTextOf(bytesOf("a" + c.bytes + "z"), out, cause);
        EXPECT_EQ(kept, !c.text.empty()) << cause;
        if (kept) {
            EXPECT_EQ(out, utf16le(u"a" + c.text + u"z"));
        } else {
            EXPECT_NE(cause.find("save it as UTF-8"), std::string::npos) << cause;
        }
    }
}

// UTF-16 saved without a byte-order mark is valid UTF-8 when its text is ASCII: every other
// byte NUL. The wizard would show the first character and nothing after it.
TEST(LicenceText, TextWithNulBytesIsRefusedWithTheRemedy) {
    Bytes le = utf16le(u"Licence terms");
    Bytes noMark(le.begin() + 2, le.end());
    Bytes be;
    for (std::size_t i = 0; i + 1 < noMark.size(); i += 2) {
        be.push_back(noMark[i + 1]);
        be.push_back(noMark[i]);
    }
    for (const Bytes& bytes : {noMark, be, bytesOf(std::string("ok\0", 3)),
                               bytesOf(std::string("\xEF\xBB\xBF"
                                                   "a\0b",
                                                   6))}) {
        Bytes out;
        std::string cause;
        EXPECT_FALSE(licenceTextOf(bytes, out, cause));
        EXPECT_NE(cause.find("NUL"), std::string::npos) << cause;
        EXPECT_NE(cause.find("UTF-16 without a byte-order mark"), std::string::npos) << cause;
        EXPECT_NE(cause.find("save it as UTF-8"), std::string::npos) << cause;
    }
}

}  // namespace
