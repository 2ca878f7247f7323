// PanelConfig.ini: the panel program's settings, a small XML file with the installation's
// language and the local endpoint the panel talks to.
#pragma once

#include <cstdint>
#include <vector>

#include "common/Endpoint.h"

struct PanelEndpoint {
    std::uint16_t language = 0;    // a LANGID such as 1033
    std::uint8_t address[4] = {};  // IPv4, network order: 127.0.0.1 is {127, 0, 0, 1}
    std::uint16_t port = 0;
};

// Writes, replacing any file there, exactly these two lines, each ended by CR LF, with no XML
// declaration and no byte-order mark:
//   <Lang Id="0x0409" />
//   <IPEndpoint IP="127.0.0.1" Port="6550" />
// The language is printed with "0x0%x", the address with "%d.%d.%d.%d" and the port with "%d".
// True when the whole file was written.
bool writePanelConfig(const char16_t* path, const PanelEndpoint& endpoint);

// The endpoint of a PanelConfig.ini's bytes: its IPEndpoint element's IP and Port, read as
// Endpoint.h reads them. The file lies where every user can write: more than 1 KiB, or more than
// a handful of elements, is refused without parsing, as is anything else that is not the two
// attributes of a top-level IPEndpoint.
bool readPanelEndpoint(const std::vector<std::uint8_t>& bytes, Endpoint& endpoint);

// The same file at base\relative in a folder others can write, never through a link
// (FileSystem::writeFileBelow).
bool writePanelConfigBelow(const char16_t* base, const char16_t* relative,
                           const PanelEndpoint& endpoint);
