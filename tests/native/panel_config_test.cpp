// PanelConfig.ini is read by the panel program, so its bytes are checked exactly.
#include <gtest/gtest.h>

#include <string>

#include "engine/PanelConfig.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FaultPlan.h"

namespace {

const char16_t kPath[] = u"C:\\Users\\Public\\Documents\\Vantrel\\PanelConfig.ini";

class PanelConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = platform::os();
        platform::os().files = &fs;
        fake::faults().clear();
        fs.addFolder(u"C:\\Users\\Public\\Documents\\Vantrel");
    }
    void TearDown() override {
        platform::os() = saved_;
        fake::faults().clear();
    }
    std::string written() const {
        auto bytes = fs.contents(kPath);
        return std::string(bytes.begin(), bytes.end());
    }
    static PanelEndpoint local(std::uint16_t language) {
        return PanelEndpoint{language, {127, 0, 0, 1}, 6550};
    }

    fake::FakeFileSystem fs;
    platform::Platform saved_;
};

TEST_F(PanelConfigFile, HoldsExactlyTwoEmptyElementsOnCrLfLines) {
    ASSERT_TRUE(writePanelConfig(kPath, local(1033)));
    EXPECT_EQ(written(),
              "<Lang Id=\"0x0409\" />\r\n"
              "<IPEndpoint IP=\"127.0.0.1\" Port=\"6550\" />\r\n");
}

TEST_F(PanelConfigFile, EachLanguageGivesFourHexDigits) {
    const std::pair<std::uint16_t, const char*> languages[] = {
        {1033, "0x0409"}, {2052, "0x0804"}, {1040, "0x0410"}, {1031, "0x0407"}, {1042, "0x0412"}};
    for (const auto& [langid, id] : languages) {
        ASSERT_TRUE(writePanelConfig(kPath, local(langid)));
        EXPECT_TRUE(written().starts_with("<Lang Id=\"" + std::string(id) + "\" />\r\n"))
            << langid << ": " << written();
    }
}

TEST_F(PanelConfigFile, AddressIsPrintedFirstByteFirstAndPortInDecimal) {
    ASSERT_TRUE(writePanelConfig(kPath, PanelEndpoint{1031, {10, 1, 200, 254}, 65535}));
    EXPECT_EQ(written(),
              "<Lang Id=\"0x0407\" />\r\n"
              "<IPEndpoint IP=\"10.1.200.254\" Port=\"65535\" />\r\n");
}

TEST_F(PanelConfigFile, AnExistingFileIsReplacedNotMerged) {
    std::string old = "<Other />\n<Lang Id=\"0x0412\" Extra=\"1\" />\n";
    fs.addFile(kPath, std::vector<std::uint8_t>(old.begin(), old.end()));
    ASSERT_TRUE(writePanelConfig(kPath, local(2052)));
    EXPECT_EQ(written(),
              "<Lang Id=\"0x0804\" />\r\n"
              "<IPEndpoint IP=\"127.0.0.1\" Port=\"6550\" />\r\n");
}

TEST_F(PanelConfigFile, AFileThatIsNotWrittenWholeIsAFailure) {
    fake::faults().failOperation("writeFile");
    EXPECT_FALSE(writePanelConfig(kPath, local(1033)));
    EXPECT_FALSE(fs.hasFile(kPath));
    fake::faults().clear();

    fs.makeWritesShort(kPath);
    EXPECT_FALSE(writePanelConfig(kPath, local(1033)));

    EXPECT_FALSE(
        writePanelConfig(u"C:\\Users\\Public\\Documents\\Missing\\PanelConfig.ini", local(1033)));
}

}  // namespace
