#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cstdio>
#include <string>

#include "platform/XmlText.h"

namespace {

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
        ASSERT_TRUE(platform::parseXmlFile(bytes, doc)) << bytes;
        EXPECT_EQ(printed(doc), loadedByLibrary(bytes)) << bytes;
    }
}

TEST(XmlText, TextEndsAtItsFirstNul) {
    TiXmlDocument doc;
    ASSERT_TRUE(platform::parseXmlFile(std::string("<a/>\0<b/>", 9), doc));
    EXPECT_EQ(printed(doc), "<a />\n");
    // A character cut by the NUL ends the text there; it is not completed from what follows.
    EXPECT_FALSE(platform::parseXmlFile(std::string("\xEF\xBB\xBF<a b=\"\xF1>\0c\"/>", 13), doc));
    EXPECT_FALSE(platform::parseXmlFile(std::string("\0<a/>", 5), doc));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
    EXPECT_FALSE(platform::parseXmlFile("", doc));
    EXPECT_EQ(doc.ErrorId(), TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
}

// A document ending inside a character: the sanitizer build sees any read past the text.
TEST(XmlText, TextEndingInsideACharacterIsRefused) {
    for (const char* text : {"<a b=\"\xF0", "<a>x\xE3", "<a b=\"\xC3", "<a>\xF4\x80"}) {
        TiXmlDocument doc;
        EXPECT_FALSE(platform::parseXmlText(text, TIXML_ENCODING_UTF8, doc)) << text;
        EXPECT_FALSE(platform::parseXmlFile(std::string("\xEF\xBB\xBF") + text, doc)) << text;
    }
}

TEST(XmlText, PrintNeedsAScratchStream) {
    TiXmlDocument doc;
    ASSERT_TRUE(platform::parseXmlText("<a/>", TIXML_ENCODING_UNKNOWN, doc));
    std::string text = "unchanged";
    EXPECT_FALSE(platform::printOnStream(nullptr, doc, text));
    EXPECT_EQ(text, "unchanged");
}

}  // namespace
