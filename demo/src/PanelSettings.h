// What the panel and the service read from PanelConfig.ini: the installation's language and
// the endpoint of the servicing interface. Plain C++ so that it is tested natively; the file
// lies in a folder every user can write to, so nothing in it is trusted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct PanelSettings {
    bool languageFound = false;
    std::uint16_t language = 0;  // a LANGID, e.g. 0x0409
    bool endpointFound = false;
    std::string address;  // dotted IPv4, checked
    std::uint16_t port = 0;
    std::string problem;  // why something is missing, empty when both were found
};

// A configuration file is never larger than this; a larger one is not read.
constexpr std::size_t kMaxPanelConfigSize = 64 * 1024;

// Reads the document's top-level Lang element (Id="0x0409": hexadecimal, at most 0xFFFF) and
// IPEndpoint element (IP: four decimal numbers 0 to 255; Port: 1 to 65535). Anything else in
// the file is ignored; a value that does not fit is reported, never guessed.
PanelSettings parsePanelSettings(std::string_view text);

// "English", "Chinese (Simplified)", "Italian", "German", "Korean", or "LANGID 0x0c0a".
std::string languageNameOf(std::uint16_t language);

// "0x0409".
std::string languageIdText(std::uint16_t language);
