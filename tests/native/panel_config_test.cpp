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

// What an upgrade keeps: the endpoint of the file it replaces, read as the panel reads it. The
// file lies where every user can write, so anything but a small file of a few elements that
// names a plain address and port keeps nothing.
TEST(PanelConfigRead, TheEndpointIsReadOnlyFromASmallPlainFile) {
    auto bytes = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    Endpoint read;
    ASSERT_TRUE(readPanelEndpoint(
        bytes("<Lang Id=\"0x0409\" />\r\n<IPEndpoint IP=\"10.20.30.40\" Port=\"7000\" />\r\n"),
        read));
    EXPECT_EQ(endpointText(read), u"10.20.30.40:7000");
    // Written by a panel or an editor: other quoting, another order, a declaration.
    ASSERT_TRUE(readPanelEndpoint(
        bytes("<?xml version=\"1.0\"?><IPEndpoint Port='80' IP='192.168.0.9'/><Lang Id='0x0407'/>"),
        read));
    EXPECT_EQ(endpointText(read), u"192.168.0.9:80");
    for (const std::string& bad :
         {std::string(""), std::string("<IPEndpoint IP=\"10.0.0.1\"/>"),
          std::string("<IPEndpoint IP=\"host.example\" Port=\"80\"/>"),
          std::string("<IPEndpoint IP=\"10.0.0.1\" Port=\"0\"/>"),
          std::string("<IPEndpoint IP=\"10.0.0.1\" Port=\"65536\"/>"),
          std::string("<Outer><IPEndpoint IP=\"10.0.0.1\" Port=\"80\"/></Outer>"),
          std::string("<IPEndpoint IP=\"10.0.0.1\" Port=\"80\""),
          std::string(2000, ' ') + "<IPEndpoint IP=\"10.0.0.1\" Port=\"80\"/>",
          std::string(40, '<') + "IPEndpoint IP=\"10.0.0.1\" Port=\"80\"/>"}) {
        Endpoint untouched;
        EXPECT_FALSE(readPanelEndpoint(bytes(bad), untouched)) << bad.substr(0, 80);
        EXPECT_EQ(untouched, kDefaultEndpoint);
    }
}
