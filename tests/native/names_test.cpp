#include <gtest/gtest.h>

#include "common/Names.h"
#include "common/Text.h"

TEST(Names, APlainNameIsOneNameWindowsTakesAsWritten) {
    for (const char16_t* good : {u"a", u"KorvelPanel.exe", u"..a", u"a..b", u" lead", u"a b.c",
                                 u"\u4e2d\u6587", u"name.ext.more"}) {
        EXPECT_TRUE(isPlainName(good)) << utf16ToUtf8(good);
    }
    for (const char16_t* bad :
         {u"",      u".",     u"..",    u"a\\b",  u"a/b", u"c:x", u"file::$DATA",
          u"a*",    u"a?",    u"a\"b",  u"a<b",   u"a>b", u"a|b", u"x\x01",
          u"x\x1F", u"x\x7F", u"name.", u"name ", u"...", u". ."}) {
        EXPECT_FALSE(isPlainName(bad));
    }
}

TEST(Names, APlainRelativePathIsPlainNamesBetweenSingleBackslashes) {
    EXPECT_TRUE(isPlainRelativePath(u"driver\\USB\\x.sys"));
    EXPECT_TRUE(isPlainRelativePath(u"x"));
    for (const char16_t* bad :
         {u"", u"\\x", u"x\\", u"a\\\\b", u"a\\..\\b", u"a\\.\\b", u"a/b", u"C:\\x", u"a\\b.\\c"}) {
        EXPECT_FALSE(isPlainRelativePath(bad));
    }
}

TEST(Names, InsideAFolderMeansTheFolderThenPlainNames) {
    EXPECT_TRUE(isInsideFolder(u"C:\\A\\B\\x", u"C:\\A\\B"));
    EXPECT_TRUE(isInsideFolder(u"c:\\a\\b\\x\\y", u"C:\\A\\B"));
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\Bx\\y", u"C:\\A\\B"));
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B", u"C:\\A\\B"));
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B\\", u"C:\\A\\B"));
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B\\.\\..\\x", u"C:\\A\\B"));
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B\\x", u""));
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B\\sub/x", u"C:\\A\\B"));  // "/" separates too
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B\\\\x", u"C:\\A\\B"));
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B\\x\\..", u"C:\\A\\B"));
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B\\.. ", u"C:\\A\\B"));  // Windows drops the space
    EXPECT_FALSE(isInsideFolder(u"C:\\A\\B\\x::$DATA", u"C:\\A\\B"));
    EXPECT_TRUE(isDirectlyInFolder(u"C:\\W\\S\\x.dll", u"C:\\W\\S"));
    EXPECT_FALSE(isDirectlyInFolder(u"C:\\W\\S\\drivers\\x.sys", u"C:\\W\\S"));
    EXPECT_FALSE(isDirectlyInFolder(u"C:\\W\\S\\drivers/x.sys", u"C:\\W\\S"));
}

// Only a drive and plain names: anything the current folder or another machine resolves is
// refused, and the drive's root is spelt with its backslash whichever way it was given.
TEST(Names, FolderChainsRunFromTheDrivesRootDown) {
    std::vector<std::u16string> chain;
    ASSERT_TRUE(folderChainOf(u"C:", chain));
    EXPECT_EQ(chain, (std::vector<std::u16string>{u"C:\\"}));
    ASSERT_TRUE(folderChainOf(u"d:\\", chain));
    EXPECT_EQ(chain, (std::vector<std::u16string>{u"d:\\"}));
    ASSERT_TRUE(folderChainOf(u"C:\\Program Files\\Co", chain));
    EXPECT_EQ(chain, (std::vector<std::u16string>{u"C:\\", u"C:\\Program Files",
                                                  u"C:\\Program Files\\Co"}));
    for (const char16_t* bad : {u"", u"C", u"1:\\x", u"C:Tools", u"C:\\Tools\\", u"\\Tools",
                                u"Tools", u"\\\\server\\share", u"\\\\?\\C:\\x", u"C:\\a\\..\\b",
                                u"C:\\a\\\\b", u"C:\\a.", u"C:/a", u"C:\\a:b"}) {
        EXPECT_FALSE(folderChainOf(bad, chain)) << utf16ToUtf8(bad);
        EXPECT_TRUE(chain.empty());
    }
}
