#include "engine/PanelConfig.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/XmlText.h"

namespace {

// The named top-level element, created at the end of the document when it is not there yet.
TiXmlElement* topElement(TiXmlDocument& document, const char* name) {
    if (TiXmlElement* found = document.FirstChildElement(name)) return found;
    return document.LinkEndChild(new TiXmlElement(name))->ToElement();
}

void panelConfigText(const PanelEndpoint& endpoint, std::string& text) {
    char language[16], address[16];
    std::snprintf(language, sizeof language, "0x0%x", unsigned(endpoint.language));
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", endpoint.address[0], endpoint.address[1],
                  endpoint.address[2], endpoint.address[3]);

    TiXmlDocument document;
    topElement(document, "Lang")->SetAttribute("Id", language);
    TiXmlElement* ipEndpoint = topElement(document, "IPEndpoint");
    ipEndpoint->SetAttribute("IP", address);
    ipEndpoint->SetAttribute("Port", int(endpoint.port));

    // The file has always been saved in text mode on Windows, so its lines end in CR LF.
    TiXmlPrinter printer;
    printer.SetLineBreak("\r\n");
    document.Accept(&printer);
    text.assign(printer.CStr(), printer.Size());
}

}  // namespace

bool writePanelConfig(const char16_t* path, const PanelEndpoint& endpoint) {
    std::string text;
    panelConfigText(endpoint, text);
    auto bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return platform::files().writeFile(path, bytes, text.size()) == platform::WriteResult::Written;
}

bool writePanelConfigBelow(const char16_t* base, const char16_t* relative,
                           const PanelEndpoint& endpoint) {
    std::string text;
    panelConfigText(endpoint, text);
    auto bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return platform::files().writeFileBelow(base, relative, bytes, text.size()) ==
           platform::WriteResult::Written;
}

bool readPanelEndpoint(const std::vector<std::uint8_t>& bytes, Endpoint& endpoint) {
    // The earlier file lies in a folder every user can write: only a small one is parsed.
    constexpr platform::XmlLimits kPanelXmlLimits{1024, 8, 4};
    if (bytes.empty()) return false;
    TiXmlDocument document;
    std::string refusal;
    if (!platform::parseXmlFile(std::string(bytes.begin(), bytes.end()), document,
                                kPanelXmlLimits, refusal)) {
        return false;
    }
    const TiXmlElement* element = document.FirstChildElement("IPEndpoint");
    const char* ip = element ? element->Attribute("IP") : nullptr;
    const char* port = element ? element->Attribute("Port") : nullptr;
    Endpoint read;
    if (!ip || !port || !parseIpv4(utf8ToUtf16(ip), read.address) ||
        !parsePort(utf8ToUtf16(port), read.port)) {
        return false;
    }
    endpoint = read;
    return true;
}
