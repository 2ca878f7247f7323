#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstdio>
#include <string>

#include "platform/XmlText.h"

namespace {

// Bounds that the cases here never reach.
constexpr platform::XmlLimits kRoomy{1 << 20, 1000, 100};

bool parseFile(const std::string& bytes, TiXmlDocument& doc) {
    std::string refusal;
    bool parsed = platform::parseXmlFile(bytes, doc, kRoomy, refusal);
    EXPECT_EQ(refusal, "");
    return parsed;
}

bool parseText(const std::string& text, TiXmlEncoding encoding, TiXmlDocument& doc) {
    std::string refusal;
    bool parsed = platform::parseXmlText(text, encoding, doc, kRoomy, refusal);
    EXPECT_EQ(refusal, "");
    return parsed;
}

std::string printed(const TiXmlDocument& doc) {
    std::string text;
    EXPECT_TRUE(platform::printOnStream(std::tmpfile(), doc, text));
    return text;
}

// The library's own LoadFile on a real stream holding `bytes` (which must hold no NUL, or it
// could read on past one).
std::string loadedByLibrary(const std::string& bytes) {
    TiXmlDocument doc;
    std::FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
    EXPECT_TRUE(doc.LoadFile(file)) << bytes;
    std::fclose(file);
    return printed(doc);
}

TEST(XmlText, BytesAreReadAsLoadFileReadsThem) {
    for (std::string bytes :
         {std::string("<a>one\r\ntwo\rthree\n</a>\r\n<!-- x\r\ny\rz -->"),
          std::string("\xEF\xBB\xBF<a b=\"\xC3\xA9\">\xE2\x82\xAC &amp; &#x41;</a>"),
          std::string("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r<a b='\xE9'/>"),
          std::string("  <a/>  trailing text the library ignores")}) {
        TiXmlDocument doc;
        ASSERT_TRUE(parseFile(bytes, doc)) << bytes;
        EXPECT_EQ(printed(doc), loadedByLibrary(bytes)) << bytes;
    }
}

TEST(XmlText, TextEndsAtItsFirstNul) {
    TiXmlDocument doc;
    ASSERT_TRUE(parseFile(std::string("<a/>\0<b/>", 9), doc));
    EXPECT_EQ(printed(doc), "<a />\n");
    // A character cut by the NUL ends the text there; it is not completed from what follows.
    EXPECT_FALSE(parseFile(std::string("\xEF\xBB\xBF<a b=\"\xF1>\0c\"/>", 13), doc));
    EXPECT_FALSE(parseFile(std::string("\0<a/>", 5), doc));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
    EXPECT_FALSE(parseFile("", doc));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
}

// A document ending inside a character: the sanitizer build sees any read past the text.
TEST(XmlText, TextEndingInsideACharacterIsRefused) {
    for (const char* text : {"<a b=\"\xF0", "<a>x\xE3", "<a b=\"\xC3", "<a>\xF4\x80"}) {
        TiXmlDocument doc;
        EXPECT_FALSE(parseText(text, TIXML_ENCODING_UTF8, doc)) << text;
        EXPECT_FALSE(parseFile(std::string("\xEF\xBB\xBF") + text, doc)) << text;
    }
}

TEST(XmlText, PrintNeedsAScratchStream) {
    TiXmlDocument doc;
    ASSERT_TRUE(parseText("<a/>", TIXML_ENCODING_UNKNOWN, doc));
    std::string text = "unchanged";
    EXPECT_FALSE(platform::printOnStream(nullptr, doc, text));
    EXPECT_EQ(text, "unchanged");
}

// A document nested n deep, each level with an attribute and text, as `pkgtool build` or a
// planted script.ini might be given.
std::string nested(std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text += "<a x=\"1\">t";
    for (std::size_t i = 0; i < n; ++i) text += "</a>";
    return text;
}

// Before these bounds, 200,000 levels ended pkgtool on its stack and a 21 KB script.ini was
// written back as 36 MB. Nothing over the size or element bound reaches the library; the depth
// is that of the tree the library made, whatever the text's own shape.
TEST(XmlBounds, SizeElementsAndDepthAreBoundedWithTheReason) {
    const platform::XmlLimits limits{4096, 40, 6};
    struct Case {
        std::string text;
        std::string refusal;  // empty: read
    };
    auto repeat = [](const std::string& part, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += part;
        return s;
    };
    const Case cases[] = {
        {nested(6), ""},
        {nested(7), "nests elements deeper than 6 levels"},
        {nested(200000), "larger than 4096 bytes"},
        // Forty elements, as siblings: two levels deep.
        {"<r>" + repeat("<s/>", 39) + "</r>", ""},
        {"<r>" + repeat("<s/>", 40) + "</r>", "holds more than 40 elements"},
        // Element starts count wherever they stand, in an attribute or a comment too.
        {"<r a='<b'>" + repeat("<!--<x-->", 38) + "</r>", ""},
        {"<r a='<b'>" + repeat("<!--<x-->", 39) + "</r>", "holds more than 40 elements"},
        // A name may start with any byte above 0x7E: the library cannot tell letters there.
        {"<r>" + repeat("<\xC3\xA9/>", 40) + "</r>", "holds more than 40 elements"},
    };
    for (const Case& c : cases) {
        for (bool file : {true, false}) {
            TiXmlDocument doc;
            std::string refusal;
            bool read =
                file ? platform::parseXmlFile(c.text, doc, limits, refusal)
                     : platform::parseXmlText(c.text, TIXML_ENCODING_UTF8, doc, limits, refusal);
            EXPECT_EQ(refusal, c.refusal) << c.text.substr(0, 80);
            EXPECT_EQ(read, c.refusal.empty()) << c.text.substr(0, 80);
        }
    }
}

TEST(XmlBounds, DepthIsThatOfTheElementsAlone) {
    TiXmlDocument doc;
    ASSERT_TRUE(
        parseText("<?xml version=\"1.0\"?><!-- c --><a>t<b><c/>u</b><d><e><f/></e></d></a>"
                  "<z/>",
                  TIXML_ENCODING_UTF8, doc));
    EXPECT_EQ(platform::xmlNestingDepth(doc), 4u);
    EXPECT_EQ(platform::xmlNestingDepth(*doc.FirstChildElement("a")), 3u);
    TiXmlDocument flat;
    ASSERT_TRUE(parseText("<a/><!-- x --><b>text</b>", TIXML_ENCODING_UTF8, flat));
    EXPECT_EQ(platform::xmlNestingDepth(flat), 1u);
}

TEST(XmlBounds, AStreamIsReadOnlyAsFarAsTheBoundAndOneByte) {
    std::FILE* file = std::tmpfile();
    ASSERT_TRUE(file);
    std::string big(100000, 'x');
    std::fwrite(big.data(), 1, big.size(), file);
    std::string bytes;
    std::rewind(file);
    ASSERT_TRUE(platform::readStream(file, bytes, 10000));
    EXPECT_EQ(bytes.size(), 10001u);
    std::rewind(file);
    ASSERT_TRUE(platform::readStream(file, bytes, 200000));
    EXPECT_EQ(bytes.size(), big.size());
    std::rewind(file);
    ASSERT_TRUE(platform::readStream(file, bytes));
    EXPECT_EQ(bytes.size(), big.size());
    std::fclose(file);
}

}  // namespace
