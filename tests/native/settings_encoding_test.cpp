// script.ini in the encoding it declares: UTF-8 by byte-order mark or declaration, the system
// code page otherwise (files in the field rely on that), written back the same way, and a Path
// that cannot be read never silently replaced by another folder.
#include <gtest/gtest.h>

#include "platform/fake/FakeXmlFiles.h"
#include "run/RunEnd.h"
#include "startup/Settings.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/WizardMachine.h"
#include "wizard/Records.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

using namespace testpkg;

namespace {

// A single-byte system code page (Latin-1, as 1252 is for these letters): every byte is a
// character, and only characters up to U+00FF have a form.
class Latin1Codepage : public platform::Codepage {
public:
    bool narrow(std::u16string_view text, std::string& out) override {
        out.clear();
        for (char16_t c : text) {
            if (c > 0xFF) return false;
            out.push_back(char(c));
        }
        return true;
    }
    bool widen(std::string_view text, std::u16string& out) override {
        out.clear();
        for (char c : text) out.push_back(char16_t(static_cast<unsigned char>(c)));
        return true;
    }
};

const std::string kBom = "\xEF\xBB\xBF";
const std::string kGruesseUtf8 =
    "D:\\Gr\xC3\xBC\xC3\x9F"
    "e";
const std::string kGruesseLatin1 =
    "D:\\Gr\xFC\xDF"
    "e";
const std::u16string kGruesse =
    u"D:\\Gr\u00FC\u00DF"
    u"e";

struct EncodingMachine : FakeMachine {
    Latin1Codepage latin1;
    fake::FakeXmlFiles xml;
    UnattendedSettings record;
    EncodingMachine() {
        platform::os().codepage = &latin1;
        platform::os().xml = &xml;
        files.addFolder(u"C:\\Setup");
    }
    bool read(const std::string& text) {
        files.addFile(u"C:\\Setup\\script.ini",
                      std::vector<std::uint8_t>(text.begin(), text.end()));
        return readSettingsFile(u"C:\\Setup\\script.ini", record);
    }
    std::string file() {
        auto b = files.contents(u"C:\\Setup\\script.ini");
        return std::string(b.begin(), b.end());
    }
    std::u16string base() const { return std::u16string(viewOf(record.installBase)); }
};

std::string element(const std::string& path, bool withHid = true) {
    return "<Unattended Lang=\"Deutsch\" EndUserLicense=\"Agree\" ShowPanel=\"No\" " +
           std::string(withHid ? "HID=\"1\" " : "") + "Path=\"" + path + "\" />\n";
}

}  // namespace

TEST(SettingsEncoding, UtfEightIsReadWhereTheDocumentSaysSoAndTheCodePageElsewhere) {
    struct Case {
        std::string text;
        const char* what;
    };
    for (const Case& c :
         {Case{kBom + element(kGruesseUtf8), "byte-order mark"},
          Case{"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n" + element(kGruesseUtf8),
               "declaration"},
          Case{"<?xml version=\"1.0\" encoding=\"utf8\" ?>\n" + element(kGruesseUtf8),
               "declaration in lower case"},
          Case{element(kGruesseLatin1), "code page, no declaration"},
          Case{"<?xml version=\"1.0\" encoding=\"windows-1252\" ?>\n" + element(kGruesseLatin1),
               "code page declared"}}) {
        EncodingMachine m;
        ASSERT_TRUE(m.read(c.text)) << c.what;
        EXPECT_EQ(m.base(), kGruesse) << c.what;
        EXPECT_FALSE(m.record.pathUnusable) << c.what;
        // Complete: nothing written.
        EXPECT_EQ(m.file(), c.text) << c.what;
    }
}

TEST(SettingsEncoding, AFileIsCompletedInTheEncodingItWasReadIn) {
    EncodingMachine utf8;
    ASSERT_TRUE(utf8.read(kBom + element(kGruesseUtf8, false)));
    EXPECT_EQ(utf8.file(), kBom +
                               "<Unattended Lang=\"Deutsch\" EndUserLicense=\"Agree\" "
                               "ShowPanel=\"No\" Path=\"" +
                               kGruesseUtf8 + "\" HID=\"1\" />\n");
    EncodingMachine latin1;
    ASSERT_TRUE(latin1.read(element(kGruesseLatin1, false)));
    EXPECT_EQ(latin1.file(),
              "<Unattended Lang=\"Deutsch\" EndUserLicense=\"Agree\" "
              "ShowPanel=\"No\" Path=\"" +
                  kGruesseLatin1 + "\" HID=\"1\" />\n");
    EXPECT_EQ(latin1.base(), kGruesse);
}

TEST(SettingsEncoding, APathThatIsNoUtfEightIsMarkedAndKeptAsWritten) {
    EncodingMachine m;
    // Code-page bytes in a document that declares UTF-8: no faithful reading.
    const std::string text = kBom + element(kGruesseLatin1, false);
    ASSERT_TRUE(m.read(text));
    EXPECT_TRUE(m.record.pathUnusable);
    EXPECT_EQ(m.base(), u"C:\\Program Files");
    // The file keeps the folder as written, never the default in its place.
    EXPECT_NE(m.file().find("Path=\"" + kGruesseLatin1 + "\""), std::string::npos);
    EXPECT_EQ(m.file().find("Program Files"), std::string::npos);
}

TEST(SettingsEncoding, AnUnattendedRunWithAnUnreadablePathInstallsNothingAndSaysWhy) {
    WizardMachine w;
    w.settingsFile(kBom + element(kGruesseLatin1));
    w.plugTouchDevice();
    w.start();
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitRolledBack);
    EXPECT_EQ(w.host.count("show"), 0);
    EXPECT_TRUE(w.host.boxes.empty());
    EXPECT_FALSE(w.machine.files.hasFile(kLogPath));
    EXPECT_NE(w.logText().find("the settings file's Path cannot be used"), std::string::npos)
        << w.logText();
    // /D= names the folder instead: the run goes on.
    WizardMachine named;
    named.settingsFile(kBom + element(kGruesseLatin1));
    named.plugTouchDevice();
    named.start(u"/D=C:\\Program Files");
    named.runUntilClosed();
    EXPECT_EQ(named.exitStatus(), kExitInstalled);
}

TEST(SettingsEncoding, AnInteractiveRunShowsTheFolderItWillReallyUse) {
    WizardMachine w;
    w.settingsFile(kBom +
                   "<Unattended Lang=\"English\" EndUserLicense=\"Disagree\" "
                   "ShowPanel=\"No\" HID=\"1\" Path=\"" +
                   kGruesseLatin1 + "\"/>");
    w.start();
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    EXPECT_EQ(wizardWidgets.pathLabel.text, u"C:\\Program Files\\Brenmark\\KorvelServerV6");
}

// Notepad saves UTF-8 without a byte-order mark or declaration: a file that is valid UTF-8 and
// holds any byte above 0x7F is read as UTF-8, and completed in it; a file that is no UTF-8 is
// still read in the code page.
TEST(SettingsEncoding, UtfEightWithoutAnyMarkIsReadAsUtfEight) {
    EncodingMachine m;
    ASSERT_TRUE(m.read(element(kGruesseUtf8)));
    EXPECT_EQ(m.base(), kGruesse);
    EXPECT_FALSE(m.record.pathUnusable);

    EncodingMachine completed;
    ASSERT_TRUE(completed.read(element(kGruesseUtf8, false)));
    EXPECT_EQ(completed.base(), kGruesse);
    EXPECT_NE(completed.file().find("Path=\"" + kGruesseUtf8 + "\""), std::string::npos);
    EXPECT_NE(completed.file().find("HID=\"1\""), std::string::npos);

    EncodingMachine latin1;
    ASSERT_TRUE(latin1.read(element(kGruesseLatin1)));
    EXPECT_EQ(latin1.base(), kGruesse);
}
