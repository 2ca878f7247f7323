#include <gtest/gtest.h>
#include <tinyxml.h>

#include <windows.h>

#include <string>

#include "common/Text.h"
#include "platform/Platform.h"
#include "platform/win32/Wide.h"
#include "platform/win32/Win32Codepage.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32XmlFiles.h"
#include "startup/Settings.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

class Win32Settings : public testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::os();
        platform::os().files = &files_;
        platform::os().codepage = &codepage_;
        platform::os().xml = &xml_;
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        dir_ = std::u16string(narrow16(temp)) + u"settings-" +
               utf8ToUtf16(std::to_string(GetCurrentProcessId()));
        ASSERT_TRUE(CreateDirectoryW(wide(dir_.c_str()), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override {
        std::vector<platform::DirEntry> entries;
        files_.listFolder(dir_.c_str(), entries);
        for (const auto& e : entries) {
            if (e.isDirectory) continue;
            std::u16string p = path(e.name);
            DeleteFileW(wide(p.c_str()));
        }
        RemoveDirectoryW(wide(dir_.c_str()));
        platform::os() = saved_;
    }

    std::u16string path(const std::u16string& name) { return dir_ + u"\\" + name; }
    void put(const std::u16string& name, const std::string& bytes) {
        ASSERT_EQ(
            files_.writeFile(path(name).c_str(),
                             reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
            platform::WriteResult::Written);
    }
    std::string bytes(const std::u16string& name) {
        std::vector<std::uint8_t> b;
        if (!files_.readFile(path(name).c_str(), b)) return "<unreadable>";
        return std::string(b.begin(), b.end());
    }
    bool read(const std::u16string& name) { return readSettingsFile(path(name).c_str(), record); }
    std::string programFiles() {
        std::u16string folder;
        EXPECT_TRUE(files_.specialFolder(platform::SpecialFolder::ProgramFiles, folder));
        return utf16ToUtf8(folder);
    }

    win32::Win32FileSystem files_;
    win32::Win32Codepage codepage_;
    win32::Win32XmlFiles xml_;
    UnattendedSettings record;

private:
    platform::Platform saved_;
    std::u16string dir_;
};

// The file name holds characters no ANSI code page of a western system has, so only a wide
// open reaches it; what is written is TinyXML's print through a text-mode stream.
TEST_F(Win32Settings, CompletedFileKeepsItsByteOrderMarkInTheLibraryLayout) {
    const std::u16string name = u"script \u89e6\u6478.ini";
    put(name,
        kBom + "<?xml version=\"1.0\"?>\r\n<!-- kiosk -->\r\n<Unattended Lang=\"Chinese\"/>\r\n");
    ASSERT_TRUE(read(name));
    EXPECT_EQ(record.language, 2052u);
    EXPECT_EQ(utf16ToUtf8(viewOf(record.installBase)), programFiles());
    EXPECT_EQ(bytes(name), kBom +
                               "<?xml version=\"1.0\" ?>\r\n<!-- kiosk -->\r\n"
                               "<Unattended Lang=\"Chinese\" EndUserLicense=\"Disagree\" "
                               "ShowPanel=\"No\" HID=\"1\" Path=\"" +
                               programFiles() + "\" />\r\n");
}

// What the reader writes is exactly what the library itself writes for the same document
// through its own file-name calls.
TEST_F(Win32Settings, WrittenFileIsTheLibrarysOwnSaveFile) {
    put(u"script.ini", kBom + "<Other>text<b/>tail</Other>\n<Unattended HID=\"x\"/>");
    ASSERT_TRUE(read(u"script.ini"));
    std::string ours = bytes(u"script.ini");

    std::string in = utf16ToUtf8(path(u"script.ini"));
    std::string out = utf16ToUtf8(path(u"library.ini"));
    TiXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(in.c_str()));
    ASSERT_TRUE(doc.SaveFile(out.c_str()));
    EXPECT_EQ(ours, bytes(u"library.ini"));
    EXPECT_EQ(ours.substr(0, 3), kBom);
    EXPECT_NE(ours.find("<Other>text\r\n    <b />tail\r\n</Other>\r\n"), std::string::npos) << ours;
}

// Unquoted bytes that are not UTF-8 after a byte-order mark would be printed in a form the
// library cannot read back: the file is read on every run and never rewritten, and the scratch
// files the check used are gone.
TEST_F(Win32Settings, TextThatWouldNotReadBackIsLeftAlone) {
    const std::string text = kBom +
                             "<Unatednde tLang=&Korean\xE3 EndUserLicense=\"Agree\" "
                             "ShowPanel=\"Yes\" HID=\"1\" Path=\"D:\\Touch\"/>\r\n";
    put(u"script.ini", text);
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(read(u"script.ini"));
        EXPECT_EQ(record.language, 1033u);
        EXPECT_EQ(bytes(u"script.ini"), text);
    }
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::u16string pattern = std::u16string(narrow16(temp)) + u"xml" +
                             utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"-*";
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(wide(pattern.c_str()), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a scratch file was left behind";
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST_F(Win32Settings, CompleteFileIsReadAndNotRewritten) {
    const std::string text =
        "<Unattended\r\n  Lang=\"Deutsch\" EndUserLicense=\"Agree\" ShowPanel=\"Yes\" HID=\" 3\" "
        "Path=\"D:\\Kiosk\"></Unattended>";
    put(u"script.ini", text);
    ASSERT_TRUE(read(u"script.ini"));
    EXPECT_EQ(record.language, 1031u);
    EXPECT_TRUE(record.licenceAgreed);
    EXPECT_TRUE(record.showPanel);
    EXPECT_EQ(record.hidMode, 3);
    EXPECT_EQ(viewOf(record.installBase), u"D:\\Kiosk");
    EXPECT_EQ(bytes(u"script.ini"), text);
}

TEST_F(Win32Settings, MissingFileIsNotCreated) {
    EXPECT_FALSE(read(u"script.ini"));
    EXPECT_EQ(GetFileAttributesW(wide(path(u"script.ini").c_str())), INVALID_FILE_ATTRIBUTES);
}

// Another program holds the file open for reading only: the save cannot open it and is skipped.
TEST_F(Win32Settings, FileThatCannotBeOpenedForWritingIsReadAndLeftAlone) {
    const std::string text = "<Unattended Lang=\"Korean\"/>";
    put(u"script.ini", text);
    HANDLE holder = CreateFileW(wide(path(u"script.ini").c_str()), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(read(u"script.ini"));
    EXPECT_EQ(record.language, 1042u);
    EXPECT_EQ(bytes(u"script.ini"), text);
    CloseHandle(holder);
}

// The path attribute is text in the ANSI code page; the checks need to know which one.
TEST_F(Win32Settings, PathGoesThroughTheAnsiCodePage) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "expectations written for code page 1252, not " << GetACP();
    put(u"script.ini",
        "<Unattended Lang=\"English\" EndUserLicense=\"Agree\" ShowPanel=\"No\" HID=\"1\" "
        "Path=\"C:\\Gr\xF6\xDF"
        "e \xC4rger\"/>");
    ASSERT_TRUE(read(u"script.ini"));
    EXPECT_EQ(viewOf(record.installBase), u"C:\\Gr\u00f6\u00dfe \u00c4rger");

    std::string narrow;
    EXPECT_TRUE(codepage_.narrow(u"C:\\Gr\u00f6\u00dfe \u20ac", narrow));
    EXPECT_EQ(narrow,
              "C:\\Gr\xF6\xDF"
              "e \x80");
    // Neither a stand-in "?" nor a look-alike ("A" for U+0100): refused.
    narrow = "unchanged";
    EXPECT_FALSE(codepage_.narrow(u"C:\\\u89e6\u6478", narrow));
    EXPECT_FALSE(codepage_.narrow(u"C:\\\u0100", narrow));
    EXPECT_EQ(narrow, "unchanged");
    std::u16string wide;
    EXPECT_TRUE(codepage_.widen("\x80\xE9", wide));
    EXPECT_EQ(wide, u"\u20ac\u00e9");
}

}  // namespace
