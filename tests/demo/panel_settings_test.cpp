// The demo panel's reading of PanelConfig.ini: the file the installer writes, in each language,
// and the damaged or hostile files a shared, user-writable folder may hold instead.
#include <gtest/gtest.h>

#include <string>

#include "PanelSettings.h"

namespace {

std::string installerFile(const char* id) {
    return std::string("<Lang Id=\"") + id +
           "\" />\r\n<IPEndpoint IP=\"127.0.0.1\" Port=\"6550\" />\r\n";
}

std::string endpointFile(const char* ip, const char* port) {
    return std::string("<Lang Id=\"0x0409\" />\r\n<IPEndpoint IP=\"") + ip + "\" Port=\"" + port +
           "\" />\r\n";
}

TEST(PanelSettings, ReadsWhatTheInstallerWritesInEachLanguage) {
    const struct {
        const char* id;
        std::uint16_t language;
        const char* name;
    } cases[] = {{"0x0409", 0x0409, "English"},
                 {"0x0804", 0x0804, "Chinese (Simplified)"},
                 {"0x0410", 0x0410, "Italian"},
                 {"0x0407", 0x0407, "German"},
                 {"0x0412", 0x0412, "Korean"}};
    for (const auto& c : cases) {
        PanelSettings s = parsePanelSettings(installerFile(c.id));
        EXPECT_TRUE(s.languageFound) << c.id;
        EXPECT_EQ(s.language, c.language) << c.id;
        EXPECT_EQ(languageNameOf(s.language), c.name);
        EXPECT_EQ(languageIdText(s.language), c.id);
        EXPECT_TRUE(s.endpointFound);
        EXPECT_EQ(s.address, "127.0.0.1");
        EXPECT_EQ(s.port, 6550);
        EXPECT_EQ(s.problem, "");
    }
    EXPECT_EQ(languageNameOf(0x0c0a), "LANGID 0x0c0a");
}

TEST(PanelSettings, ReportsWhatIsMissingInsteadOfGuessing) {
    PanelSettings empty = parsePanelSettings("");
    EXPECT_FALSE(empty.languageFound);
    EXPECT_FALSE(empty.endpointFound);
    EXPECT_NE(empty.problem, "");

    PanelSettings noEndpoint = parsePanelSettings("<Lang Id=\"0x0407\" />");
    EXPECT_TRUE(noEndpoint.languageFound);
    EXPECT_FALSE(noEndpoint.endpointFound);
    EXPECT_EQ(noEndpoint.problem, "no IPEndpoint element");

    PanelSettings broken = parsePanelSettings("<Lang Id=\"0x0409\" <IPEndpoint");
    EXPECT_FALSE(broken.languageFound);
    EXPECT_EQ(broken.problem.rfind("not well-formed", 0), 0u) << broken.problem;

    // Only top-level elements count, as the installer writes them.
    PanelSettings nested = parsePanelSettings("<Root><Lang Id=\"0x0409\" /></Root>");
    EXPECT_FALSE(nested.languageFound);
}

TEST(PanelSettings, RefusesLanguageIdsThatAreNotHexadecimalLangids) {
    for (const char* id : {"1033", "0x", "0x10000", "0x-409", "0x 409", "0x04g9", "0x000000409"}) {
        PanelSettings s = parsePanelSettings(installerFile(id));
        EXPECT_FALSE(s.languageFound) << id;
        EXPECT_EQ(s.problem, "the Lang Id is not a hexadecimal LANGID") << id;
        EXPECT_TRUE(s.endpointFound) << id;
    }
    PanelSettings upper = parsePanelSettings(installerFile("0X040A"));
    EXPECT_TRUE(upper.languageFound);
    EXPECT_EQ(upper.language, 0x040A);
}

TEST(PanelSettings, RefusesEndpointsThatAreNotIpv4AndAPort) {
    const char* badAddresses[] = {"256.0.0.1", "1.2.3",   "1.2.3.4.5", "01.2.3.4", " 1.2.3.4",
                                  "1..3.4",    "a.b.c.d", "",          "1.2.3.4 "};
    for (const char* ip : badAddresses) {
        PanelSettings s = parsePanelSettings(endpointFile(ip, "6550"));
        EXPECT_FALSE(s.endpointFound) << "[" << ip << "]";
        EXPECT_TRUE(s.languageFound) << ip;
    }
    for (const char* port : {"0", "65536", "-1", "6550x", "", "99999999999"}) {
        EXPECT_FALSE(parsePanelSettings(endpointFile("127.0.0.1", port)).endpointFound) << port;
    }
    PanelSettings edge = parsePanelSettings(endpointFile("255.255.255.0", "65535"));
    EXPECT_TRUE(edge.endpointFound);
    EXPECT_EQ(edge.address, "255.255.255.0");
    EXPECT_EQ(edge.port, 65535);
}

TEST(PanelSettings, DoesNotReadAnOversizedFile) {
    std::string big =
        installerFile("0x0409") + "<!--" + std::string(kMaxPanelConfigSize, 'x') + "-->";
    PanelSettings s = parsePanelSettings(big);
    EXPECT_FALSE(s.languageFound);
    EXPECT_FALSE(s.endpointFound);
    EXPECT_EQ(s.problem, "the file is larger than 64 KiB");
}

// Every user can write the file: 20,000 nested elements fit in 64 KiB and would end the panel
// and the service on their stacks.
TEST(PanelSettings, DoesNotReadADeeplyNestedFile) {
    std::string deep;
    for (int i = 0; i < 20000; ++i) deep += "<a>";
    PanelSettings s = parsePanelSettings(installerFile("0x0409") + deep);
    EXPECT_FALSE(s.languageFound);
    EXPECT_EQ(s.problem, "the file holds more than 64 elements");
    std::string nested = "<x><x><x><x><x><x><x><x><x></x></x></x></x></x></x></x></x></x>";
    s = parsePanelSettings(installerFile("0x0409") + nested);
    EXPECT_EQ(s.problem, "the file nests elements deeper than 8 levels");
}

}  // namespace
