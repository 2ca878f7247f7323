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
    EXPECT_TRUE(read("<Unattended Lang=\"Korean\" HID=\"x\" ShowPanel=\"Yes\"/>", "writeFile"));
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

TEST_F(SettingsFileFaults, PathThatCannotBeWidenedKeepsTheDefault) {
    EXPECT_TRUE(
        read("<Unattended Lang=\"English\" EndUserLicense=\"Agree\" ShowPanel=\"No\" "
             "HID=\"1\" Path=\"D:\\x\"/>",
             "widen"));
    EXPECT_EQ(installBase(), u"C:\\Program Files");
    EXPECT_FALSE(wrote());
}

}  // namespace
