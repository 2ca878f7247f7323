#include "PanelSettings.h"

#include <tinyxml.h>

#include <cstdio>
#include <string>

#include "platform/XmlBounds.h"

namespace {

// Digits only, no sign, no spaces; false when the value passes `limit`.
bool readNumber(const std::string& text, int base, std::uint32_t limit, std::uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9'                 ? c - '0'
                    : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1;
        if (digit < 0) return false;
        value = value * std::uint32_t(base) + std::uint32_t(digit);
        if (value > limit) return false;
    }
    return true;
}

bool readLanguage(const TiXmlElement& element, std::uint16_t& language) {
    const char* id = element.Attribute("Id");
    if (!id) return false;
    std::string text = id;
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
    std::uint32_t value = 0;
    if (!readNumber(text.substr(2), 16, 0xFFFF, value)) return false;
    language = std::uint16_t(value);
    return true;
}

bool readAddress(const char* ip, std::string& address) {
    if (!ip) return false;
    std::string text = ip;
    std::string part;
    int parts = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '.') {
            part.push_back(text[i]);
            continue;
        }
        std::uint32_t value = 0;
        if (!readNumber(part, 10, 255, value) || (part.size() > 1 && part[0] == '0')) return false;
        part.clear();
        ++parts;
    }
    if (parts != 4) return false;
    address = text;
    return true;
}

bool readEndpoint(const TiXmlElement& element, std::string& address, std::uint16_t& port) {
    const char* portText = element.Attribute("Port");
    std::uint32_t value = 0;
    if (!readAddress(element.Attribute("IP"), address) || !portText ||
        !readNumber(portText, 10, 65535, value) || value == 0) {
        return false;
    }
    port = std::uint16_t(value);
    return true;
}

void addProblem(PanelSettings& s, const std::string& problem) {
    if (!s.problem.empty()) s.problem += "; ";
    s.problem += problem;
}

}  // namespace

PanelSettings parsePanelSettings(std::string_view text) {
    PanelSettings s;
    if (text.size() > kMaxPanelConfigSize) {
        s.problem = "the file is larger than 64 KiB";
        return s;
    }
    // The file holds two elements; what is more could end the reader on its stack.
    constexpr platform::XmlLimits limits{kMaxPanelConfigSize, 64, 8};
    std::string refusal;
    if (!platform::xmlTextWithinLimits(text, limits, refusal)) {
        s.problem = "the file " + refusal;
        return s;
    }
    TiXmlDocument document;
    document.Parse(std::string(text).c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error()) {
        s.problem = std::string("not well-formed: ") + document.ErrorDesc();
        return s;
    }
    if (!platform::xmlTreeWithinLimits(document, limits, refusal)) {
        s.problem = "the file " + refusal;
        return s;
    }
    if (const TiXmlElement* lang = document.FirstChildElement("Lang")) {
        s.languageFound = readLanguage(*lang, s.language);
        if (!s.languageFound) addProblem(s, "the Lang Id is not a hexadecimal LANGID");
    } else {
        addProblem(s, "no Lang element");
    }
    if (const TiXmlElement* endpoint = document.FirstChildElement("IPEndpoint")) {
        s.endpointFound = readEndpoint(*endpoint, s.address, s.port);
        if (!s.endpointFound) addProblem(s, "the IPEndpoint is not an IPv4 address and port");
    } else {
        addProblem(s, "no IPEndpoint element");
    }
    return s;
}

std::string languageNameOf(std::uint16_t language) {
    switch (language) {
        case 0x0804:
            return "Chinese (Simplified)";
        case 0x0409:
            return "English";
        case 0x0410:
            return "Italian";
        case 0x0407:
            return "German";
        case 0x0412:
            return "Korean";
        default:
            return "LANGID " + languageIdText(language);
    }
}

std::string languageIdText(std::uint16_t language) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", unsigned(language));
    return text;
}
