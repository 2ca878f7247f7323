#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "common/Text.h"
#include "platform/Platform.h"
#include "platform/Utf8Codepage.h"
#include "platform/fake/FakeCodepage.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeXmlFiles.h"
#include "platform/fake/FaultPlan.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixXmlFiles.h"
#include "startup/Settings.h"

namespace {

// The folder next to the executable, on real files or on the fake file system.
class Machine {
public:
    virtual ~Machine() = default;
    virtual std::u16string path(const std::string& name) = 0;
    virtual void put(const std::string& name, const std::string& bytes) = 0;
    virtual void putFolder(const std::string& name) = 0;
    virtual bool has(const std::string& name) = 0;
    virtual std::string bytes(const std::string& name) = 0;
    virtual std::u16string programFiles() = 0;
    // `name` as a symbolic link to, or a second name (hard link) of, the file `target`.
    virtual void putLink(const std::string& name, const std::string& target, bool hard) = 0;
};

class PosixMachine : public Machine {
public:
    PosixMachine() {
        char pattern[] = "/tmp/settings-test-XXXXXX";
        dir_ = ::mkdtemp(pattern);
        ::setenv("TOUCHSETUP_ROOT", dir_.c_str(), 1);
        platform::os().files = &files_;
        platform::os().codepage = &codepage_;
        platform::os().xml = &xml_;
    }
    ~PosixMachine() override {
        ::unsetenv("TOUCHSETUP_ROOT");
        std::filesystem::remove_all(dir_);
    }
    std::u16string path(const std::string& name) override { return utf8ToUtf16(full(name)); }
    void put(const std::string& name, const std::string& bytes) override {
        std::ofstream(full(name), std::ios::binary) << bytes;
    }
    void putFolder(const std::string& name) override {
        std::filesystem::create_directory(full(name));
    }
    bool has(const std::string& name) override { return std::filesystem::exists(full(name)); }
    std::string bytes(const std::string& name) override {
        std::ifstream in(full(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::u16string programFiles() override { return utf8ToUtf16(dir_) + u"\\Program Files"; }
    void putLink(const std::string& name, const std::string& target, bool hard) override {
        if (hard) {
            std::filesystem::create_hard_link(full(target), full(name));
        } else {
            std::filesystem::create_symlink(full(target), full(name));
        }
    }

private:
    std::string full(const std::string& name) { return dir_ + "/" + name; }
    std::string dir_;
    posix::PosixFileSystem files_;
    platform::Utf8Codepage codepage_;
    posix::PosixXmlFiles xml_;
};

class FakeMachine : public Machine {
public:
    FakeMachine() {
        fake::faults().clear();
        files.addFolder(u"C:\\Setup");
        platform::os().files = &files;
        platform::os().codepage = &codepage_;
        platform::os().xml = &xml_;
    }
    std::u16string path(const std::string& name) override {
        return u"C:\\Setup\\" + utf8ToUtf16(name);
    }
    void put(const std::string& name, const std::string& bytes) override {
        files.addFile(path(name), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    void putFolder(const std::string& name) override { files.addFolder(path(name)); }
    bool has(const std::string& name) override { return files.hasFile(path(name)); }
    std::string bytes(const std::string& name) override {
        auto b = files.contents(path(name));
        return std::string(b.begin(), b.end());
    }
    std::u16string programFiles() override { return u"C:\\Program Files"; }
    void putLink(const std::string& name, const std::string& target, bool hard) override {
        if (hard) {
            files.addHardLink(path(name), path(target));
        } else {
            files.addLink(path(name), path(target), false);
        }
    }

    fake::FakeFileSystem files;

private:
    fake::FakeCodepage codepage_;
    fake::FakeXmlFiles xml_;
};

const std::string kBom = "\xEF\xBB\xBF";

class SettingsFile : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        saved_ = platform::os();
        if (std::string(GetParam()) == "posix") {
            machine_ = std::make_unique<PosixMachine>();
        } else {
            machine_ = std::make_unique<FakeMachine>();
        }
    }
    void TearDown() override {
        machine_.reset();
        platform::os() = saved_;
    }

    // Writes script.ini, reads it into `record` and returns readSettingsFile's answer.
    bool read(const std::string& contents) {
        machine_->put("script.ini", contents);
        return readSettingsFile(machine_->path("script.ini").c_str(), record);
    }
    std::string file() { return machine_->bytes("script.ini"); }
    std::string programFiles() { return utf16ToUtf8(machine_->programFiles()); }
    std::u16string installBase() { return std::u16string(viewOf(record.installBase)); }

    // A complete, valid element with one attribute's text replaced, as a person would write it
    // (the library would print " />" and a line break), so that any rewrite shows.
    static std::string complete(const std::string& lang, const std::string& licence = "Agree",
                                const std::string& panel = "Yes", const std::string& hid = "2") {
        return "<Unattended Lang=\"" + lang + "\" EndUserLicense=\"" + licence + "\" ShowPanel=\"" +
               panel + "\" HID=\"" + hid + "\" Path=\"D:\\Touch\"/>";
    }
    // The same element as the library prints it.
    static std::string printed(const std::string& lang, const std::string& licence,
                               const std::string& panel, const std::string& hid) {
        std::string text = complete(lang, licence, panel, hid);
        return text.substr(0, text.size() - 2) + " />\n";
    }

    std::unique_ptr<Machine> machine_;
    UnattendedSettings record;

private:
    platform::Platform saved_;
};

INSTANTIATE_TEST_SUITE_P(OnRealAndFakeFiles, SettingsFile, testing::Values("posix", "fake"));

// The elevated installer writes script.ini back. One planted as a link to another file, or as a
// second name of one, would have it rewrite that file: it is read, and left alone.
TEST_P(SettingsFile, AScriptIniThatIsALinkOrAnotherFilesSecondNameIsNeverWrittenThrough) {
    const std::string victim = "<Unattended Lang=\"Korean\"/>";
    for (bool hard : {false, true}) {
        SCOPED_TRACE(hard ? "hard link" : "symbolic link");
        machine_->put("victim.ini", victim);
        machine_->putLink(hard ? "script.ini" : "link.ini", "victim.ini", hard);
        const char* name = hard ? "script.ini" : "link.ini";
        EXPECT_TRUE(readSettingsFile(machine_->path(name).c_str(), record));
        EXPECT_EQ(record.language, 1042u);
        EXPECT_EQ(machine_->bytes("victim.ini"), victim);
    }
}

TEST_P(SettingsFile, MissingFileMeansInteractiveAndNothingIsCreated) {
    record.language = 77;
    record.hidMode = 9;
    record.licenceAgreed = true;
    EXPECT_FALSE(readSettingsFile(machine_->path("script.ini").c_str(), record));
    EXPECT_FALSE(machine_->has("script.ini"));
    // The defaults are in place even so.
    EXPECT_EQ(record.language, 1033u);
    EXPECT_FALSE(record.licenceAgreed);
    EXPECT_FALSE(record.showPanel);
    EXPECT_EQ(record.hidMode, 1);
    EXPECT_EQ(installBase(), machine_->programFiles());
}

TEST_P(SettingsFile, EmptyOrMalformedFileIsNotLoadedAndLeftAlone) {
    for (std::string bad : {std::string(), std::string(" \r\n\t"), kBom, std::string("<Unattended"),
                            std::string("<a></b>"), std::string("plain text"),
                            std::string("<Unattended Lang=\"English\" Lang=\"Korean\" />")}) {
        EXPECT_FALSE(read(bad)) << bad;
        EXPECT_EQ(file(), bad);
    }
}

TEST_P(SettingsFile, FolderInPlaceOfTheFileIsNotLoaded) {
    machine_->putFolder("script.ini");
    EXPECT_FALSE(readSettingsFile(machine_->path("script.ini").c_str(), record));
}

TEST_P(SettingsFile, DeclarationOnlyGetsAFreshElementWithEveryDefault) {
    ASSERT_TRUE(read("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    EXPECT_EQ(record.language, 1033u);
    EXPECT_EQ(record.hidMode, 1);
    EXPECT_EQ(file(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
              "<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" "
              "HID=\"1\" Path=\"" +
                  programFiles() + "\" />\n");
}

TEST_P(SettingsFile, CompleteElementIsReadAndTheFileKeepsItsOwnLayout) {
    std::string text = kBom +
                       "<?xml version='1.0'?>\r\n<!-- unattended -->\r\n"
                       "<Unattended  Lang='Korean'\r\n\tEndUserLicense=\"Agree\" ShowPanel=\"Yes\" "
                       "HID=\"2\" Path=\"D:\\Touch &amp; Go\"></Unattended>\r\n";
    ASSERT_TRUE(read(text));
    EXPECT_EQ(record.language, 1042u);
    EXPECT_TRUE(record.licenceAgreed);
    EXPECT_TRUE(record.showPanel);
    EXPECT_EQ(record.hidMode, 2);
    EXPECT_EQ(installBase(), u"D:\\Touch & Go");
    EXPECT_EQ(file(), text);
}

TEST_P(SettingsFile, LanguageNamesAreExactAndCaseSensitive) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"English", 1033}, {"Chinese", 2052}, {"Italiano", 1040}, {"Deutsch", 1031},
        {"Korean", 1042},  {"english", 1033}, {"KOREAN", 1033},   {"Korean ", 1033},
        {"Italian", 1033}, {"", 1033},        {"2052", 1033},
    };
    for (const auto& [name, langId] : cases) {
        std::string text = complete(name);
        ASSERT_TRUE(read(text)) << name;
        EXPECT_EQ(record.language, langId) << name;
        EXPECT_EQ(file(), text) << "an unknown language is not rewritten: " << name;
    }
}

TEST_P(SettingsFile, LicenceAndPanelNeedTheExactWords) {
    const std::tuple<const char*, const char*, bool, bool> cases[] = {
        {"Agree", "Yes", true, true},     {"agree", "yes", false, false},
        {"AGREE", "YES", false, false},   {"Agree ", " Yes", false, false},
        {"Disagree", "No", false, false}, {"", "", false, false},
    };
    for (const auto& [licence, panel, agreed, shown] : cases) {
        std::string text = complete("English", licence, panel);
        ASSERT_TRUE(read(text));
        EXPECT_EQ(record.licenceAgreed, agreed) << licence;
        EXPECT_EQ(record.showPanel, shown) << panel;
        EXPECT_EQ(file(), text);
    }
}

TEST_P(SettingsFile, HidIsReadLikePercentDAndBadTextIsReplaced) {
    const std::tuple<const char*, std::int32_t, bool> cases[] = {
        {"2", 2, false},
        {"  -3 times", -3, false},
        {"+7", 7, false},
        {"\t\n12", 12, false},
        {"0x10", 0, false},
        {"2147483647", 2147483647, false},
        {"-2147483648", -2147483647 - 1, false},
        {"abc", 1, true},
        {"", 1, true},
        {"- 1", 1, true},
        {"+", 1, true},
        {"2147483648", 1, true},
        {"99999999999", 1, true},
    };
    for (const auto& [hid, value, replaced] : cases) {
        std::string text = complete("English", "Agree", "Yes", hid);
        ASSERT_TRUE(read(text)) << hid;
        EXPECT_EQ(record.hidMode, value) << hid;
        EXPECT_EQ(file(), replaced ? printed("English", "Agree", "Yes", "1") : text) << hid;
    }
}

TEST_P(SettingsFile, BadHidKeepsItsPlaceAmongTheAttributes) {
    ASSERT_TRUE(
        read("<Unattended HID=\"many\" Lang=\"Deutsch\" EndUserLicense=\"Agree\" "
             "ShowPanel=\"No\" Path=\"E:\\\"/>"));
    EXPECT_EQ(record.language, 1031u);
    EXPECT_EQ(file(),
              "<Unattended HID=\"1\" Lang=\"Deutsch\" EndUserLicense=\"Agree\" "
              "ShowPanel=\"No\" Path=\"E:\\\" />\n");
}

TEST_P(SettingsFile, MissingAttributesAreAddedAfterTheOthersInTheirOrder) {
    ASSERT_TRUE(
        read("<Unattended Lang=\"Chinese\" EndUserLicense=\"Agree\" ShowPanel=\"Yes\" "
             "HID=\"3\"/>"));
    EXPECT_EQ(installBase(), machine_->programFiles());
    EXPECT_EQ(file(),
              "<Unattended Lang=\"Chinese\" EndUserLicense=\"Agree\" ShowPanel=\"Yes\" "
              "HID=\"3\" Path=\"" +
                  programFiles() + "\" />\n");

    ASSERT_TRUE(read("<Unattended Path=\"D:\\x\" ShowPanel=\"Yes\" Extra=\"kept\"/>"));
    EXPECT_EQ(installBase(), u"D:\\x");
    EXPECT_TRUE(record.showPanel);
    EXPECT_EQ(file(),
              "<Unattended Path=\"D:\\x\" ShowPanel=\"Yes\" Extra=\"kept\" "
              "Lang=\"English\" EndUserLicense=\"Disagree\" HID=\"1\" />\n");
}

TEST_P(SettingsFile, ByteOrderMarkIsWrittenBackOnlyWhenTheFileHadOne) {
    ASSERT_TRUE(read(kBom + "<Unattended Lang=\"Italiano\"/>"));
    EXPECT_EQ(record.language, 1040u);
    std::string rewritten =
        "<Unattended Lang=\"Italiano\" EndUserLicense=\"Disagree\" "
        "ShowPanel=\"No\" HID=\"1\" Path=\"" +
        programFiles() + "\" />\n";
    EXPECT_EQ(file(), kBom + rewritten);
    ASSERT_TRUE(read("<Unattended Lang=\"Italiano\"/>"));
    EXPECT_EQ(file(), rewritten);
}

TEST_P(SettingsFile, OnlyTheFirstTopLevelElementCountsAndTheRestIsKept) {
    ASSERT_TRUE(
        read("<?xml version=\"1.0\"?>\n<!--note-->\n"
             "<Other>text<Unattended Lang=\"Korean\"/>tail</Other>\n"
             "<Unattended Lang=\"Deutsch\" HID=\"4\"/>\n"
             "<Unattended Lang=\"Chinese\"/>\n"));
    EXPECT_EQ(record.language, 1031u);
    EXPECT_EQ(record.hidMode, 4);
    // TinyXML's own layout: mixed content stays on the lines the library puts it.
    EXPECT_EQ(file(),
              "<?xml version=\"1.0\" ?>\n<!--note-->\n"
              "<Other>text\n    <Unattended Lang=\"Korean\" />tail\n</Other>\n"
              "<Unattended Lang=\"Deutsch\" HID=\"4\" EndUserLicense=\"Disagree\" "
              "ShowPanel=\"No\" Path=\"" +
                  programFiles() +
                  "\" />\n"
                  "<Unattended Lang=\"Chinese\" />\n");

    // A nested element is no settings element: a new one goes at the end.
    ASSERT_TRUE(read("<Other><Unattended Lang=\"Korean\"/></Other>"));
    EXPECT_EQ(record.language, 1033u);
    EXPECT_EQ(file(),
              "<Other>\n    <Unattended Lang=\"Korean\" />\n</Other>\n"
              "<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" "
              "HID=\"1\" Path=\"" +
                  programFiles() + "\" />\n");
}

TEST_P(SettingsFile, PathIsTakenWholeOrNotAtAll) {
    auto withPath = [](const std::string& path) {
        std::string text = complete("English");
        return text.replace(text.find("D:\\Touch"), 8, path);
    };
    ASSERT_TRUE(
        read(withPath("D:\\Gr\xC3\xBC\xC3\x9F"
                      "e\\\xE8\xA7\xA6")));
    EXPECT_EQ(installBase(), u"D:\\Gr\u00fc\u00dfe\\\u89e6");

    std::string longest(259, 'p');
    ASSERT_TRUE(read(withPath(longest)));
    EXPECT_EQ(utf16ToUtf8(installBase()), longest);

    // One unit more, or bytes that are no text in the code page: the default stays and the
    // file is not touched.
    for (std::string bad : {longest + "p", std::string("D:\\\xFF\xFE")}) {
        ASSERT_TRUE(read(withPath(bad)));
        EXPECT_EQ(installBase(), machine_->programFiles());
        EXPECT_EQ(file(), withPath(bad));
    }
}

TEST_P(SettingsFile, SettingsFileNameMayHoldAnyCharacter) {
    machine_->put("r\xC3\xA9glages \xE8\xA7\xA6.ini", "<Unattended Lang=\"Korean\"/>");
    ASSERT_TRUE(
        readSettingsFile(machine_->path("r\xC3\xA9glages \xE8\xA7\xA6.ini").c_str(), record));
    EXPECT_EQ(record.language, 1042u);
    EXPECT_NE(machine_->bytes("r\xC3\xA9glages \xE8\xA7\xA6.ini").find("Path="), std::string::npos);
}

// The library accepts some text that it cannot print back faithfully: an unquoted value holding
// bytes that are not UTF-8, after a byte-order mark, is printed in quotes that the next read
// takes as part of a character. Such a file is never rewritten; its settings still hold, and so
// they do on every later run.
TEST_P(SettingsFile, TextThatWouldNotReadBackIsNotWritten) {
    // No settings element yet: a new one would be added after the damaged one.
    const std::string newElement = kBom +
                                   "<Unatednde tLang=&Korean\xE3 EndUserLicense=\"Agree\" "
                                   "ShowPanel=\"Yes\" HID=\"1\" Path=\"D:\\Touch\"/>\r\n";
    // A settings element whose own names and values hold such bytes and lacks EndUserLicense.
    const std::string ownElement =
        kBom +
        "<Unattended Lang=Patr\x9B\x9E\x91\xE2 E\xB1ndUserLicense=\"Aee\" ShowPanel=\"Ye\" "
        "HID=\"4\" Path=\":\xBF<Unattended "
        "LanDnD:\xBF<Unattenaen\xB4\xDF\x9B\x97g=\\fTouch\"/>\r\n";
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(read(newElement));
        EXPECT_EQ(file(), newElement);
        EXPECT_EQ(record.language, 1033u);
        EXPECT_FALSE(record.licenceAgreed);
        EXPECT_EQ(record.hidMode, 1);
        EXPECT_EQ(installBase(), machine_->programFiles());

        ASSERT_TRUE(read(ownElement));
        EXPECT_EQ(file(), ownElement);
        EXPECT_EQ(record.language, 1033u);
        EXPECT_FALSE(record.licenceAgreed);
        EXPECT_FALSE(record.showPanel);
        EXPECT_EQ(record.hidMode, 4);
        EXPECT_EQ(installBase(), machine_->programFiles()) << "the path is no UTF-8";
    }
}

// After a byte-order mark, a lead byte just before "&" makes the next read take the printed
// "&amp;" as text: each rewrite would add another "amp;". Neither the settings element nor the
// rest of the document may drift that way, even when the settings themselves would read back.
TEST_P(SettingsFile, ValueThatWouldGrowOnEveryRewriteIsNotWritten) {
    const std::string ownPath = kBom + "<Unattended Lang=\"Korean\" Path=D:\\xx\xC3&/>";
    ASSERT_TRUE(read(ownPath));
    EXPECT_EQ(file(), ownPath);
    EXPECT_EQ(record.language, 1042u);
    EXPECT_EQ(installBase(), machine_->programFiles()) << "the path is no UTF-8";

    const std::string otherElement =
        kBom + "<Other a=xx\xC3& c=\"1\"/><Unattended Lang=\"Korean\" Path=\"D:\\x\"/>";
    ASSERT_TRUE(read(otherElement));
    EXPECT_EQ(file(), otherElement);
    EXPECT_EQ(installBase(), u"D:\\x");

    // With a character that is whole, the same ampersand is completed as usual.
    ASSERT_TRUE(read(kBom + "<Other a=xx\xC3\xA9& c=\"1\"/><Unattended Lang=\"Korean\"/>"));
    EXPECT_EQ(file(), kBom +
                          "<Other a=\"xx\xC3\xA9&amp;\" c=\"1\" />\n"
                          "<Unattended Lang=\"Korean\" EndUserLicense=\"Disagree\" "
                          "ShowPanel=\"No\" HID=\"1\" Path=\"" +
                          programFiles() + "\" />\n");
}

// A UTF-8 file that ends inside a character: the parser must stop at the end of the text, not
// read on past it (the sanitizer build sees any such read).
TEST_P(SettingsFile, FileEndingInsideACharacterIsNotLoaded) {
    for (std::string bad : {kBom + "<Unattended Lang=\"Eng\xF0", kBom + "<Unattended>text\xE3",
                            kBom + "<Unattended \xB3\xB3"
                                   "attended =\"KocenD:\\T\x8C\xC1\xF2\n",
                            std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><a b=\"\xEF")}) {
        EXPECT_FALSE(read(bad)) << bad;
        EXPECT_EQ(file(), bad);
    }
}

// Failures that only the fakes can stage.
class SettingsFileFaults : public testing::Test {
protected:
    void SetUp() override { saved_ = platform::os(); }
    void TearDown() override { platform::os() = saved_; }

    bool read(const std::string& contents) {
        machine.put("script.ini", contents);
        fake::faults().clear();
        return readSettingsFile(machine.path("script.ini").c_str(), record);
    }
    bool read(const std::string& contents, const char* failing) {
        machine.put("script.ini", contents);
        fake::faults().clear();
        fake::faults().failOperation(failing);
        return readSettingsFile(machine.path("script.ini").c_str(), record);
    }
    std::u16string installBase() { return std::u16string(viewOf(record.installBase)); }
    bool wrote() const {
        for (const std::string& call : fake::faults().trace()) {
            if (call.starts_with("writeFile")) return true;
        }
        return false;
    }

    platform::Platform saved_;
    FakeMachine machine;
    UnattendedSettings record;
};

TEST_F(SettingsFileFaults, UnreadableFileMeansInteractive) {
    EXPECT_FALSE(read("<Unattended/>", "readFile"));
    EXPECT_FALSE(wrote());
    EXPECT_EQ(machine.bytes("script.ini"), "<Unattended/>");
}

TEST_F(SettingsFileFaults, FileThatCannotBeWrittenStillGivesItsSettings) {
    EXPECT_TRUE(
        read("<Unattended Lang=\"Korean\" HID=\"x\" ShowPanel=\"Yes\"/>", "writeFileBelow"));
    EXPECT_TRUE(fake::faults().injected());
    EXPECT_EQ(record.language, 1042u);
    EXPECT_TRUE(record.showPanel);
    EXPECT_EQ(record.hidMode, 1);
    EXPECT_EQ(machine.bytes("script.ini"),
              "<Unattended Lang=\"Korean\" HID=\"x\" ShowPanel=\"Yes\"/>");
}

TEST_F(SettingsFileFaults, NothingIsWrittenWhenNothingChanged) {
    EXPECT_TRUE(
        read("<Unattended Lang=\"Korean\" EndUserLicense=\"No\" ShowPanel=\"No\" HID=\"0\" "
             "Path=\"\"/>"));
    EXPECT_EQ(installBase(), u"");
    EXPECT_EQ(record.hidMode, 0);
    EXPECT_FALSE(wrote());
}

TEST_F(SettingsFileFaults, UnknownOrUnwritableDefaultFolderIsLeftOutOfTheFile) {
    EXPECT_TRUE(read("<?xml version=\"1.0\"?>", "specialFolder"));
    EXPECT_EQ(installBase(), u"");
    EXPECT_EQ(machine.bytes("script.ini"),
              "<?xml version=\"1.0\" ?>\n<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" "
              "ShowPanel=\"No\" HID=\"1\" />\n");

    EXPECT_TRUE(read("<Unattended Lang=\"English\"/>", "narrow"));
    EXPECT_EQ(installBase(), u"C:\\Program Files");
    EXPECT_EQ(
        machine.bytes("script.ini"),
        "<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" ShowPanel=\"No\" HID=\"1\" />\n");
}

// Without a scratch stream the text to be written cannot be checked, so it is not written.
TEST_F(SettingsFileFaults, UncheckedTextIsNotWritten) {
    EXPECT_TRUE(read("<Unattended Lang=\"Deutsch\" HID=\"x\"/>", "scratchStream"));
    EXPECT_TRUE(fake::faults().injected());
    EXPECT_EQ(record.language, 1031u);
    EXPECT_EQ(record.hidMode, 1);
    EXPECT_FALSE(wrote());
    EXPECT_EQ(machine.bytes("script.ini"), "<Unattended Lang=\"Deutsch\" HID=\"x\"/>");
}

TEST_F(SettingsFileFaults, PathThatCannotBeWidenedKeepsTheDefault) {
    EXPECT_TRUE(
        read("<Unattended Lang=\"English\" EndUserLicense=\"Agree\" ShowPanel=\"No\" "
             "HID=\"1\" Path=\"D:\\x\"/>",
             "widen"));
    EXPECT_EQ(installBase(), u"C:\\Program Files");
    EXPECT_FALSE(wrote());
}

}  // namespace
