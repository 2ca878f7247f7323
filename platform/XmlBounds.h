// Bounds on every XML document read. The library parses, prints and frees nested elements by
// recursion, so a document nested deep enough ends the process on its stack; and it prints each
// level indented, so that a nested document written back grows with the square of its depth.
// What the library is given is therefore bounded first, in ways that need no parse:
//   - its size;
//   - its element starts: every "<" the library could take for the start of an element (one
//     followed by a letter, "_" or a byte above 0x7E, wherever it stands), an upper bound on
//     the elements it can make and so on how deep it can recurse, whatever else the text says;
// and after the parse, which that made safe, how deep its elements really nest.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class TiXmlNode;

namespace platform {

struct XmlLimits {
    std::size_t bytes;     // the document's size
    std::size_t elements;  // element starts anywhere in the text
    std::size_t depth;     // elements nested in one another, the outermost counting 1
};

// script.ini: one element of five short attributes, read by every run of setup.exe, elevated.
inline constexpr XmlLimits kSettingsXmlLimits{64 * 1024, 64, 8};
// A package manifest: one root and its records.
inline constexpr XmlLimits kManifestXmlLimits{4 * 1024 * 1024, 2048, 16};

// False with the reason when `text` is larger than the limits allow or holds more element
// starts; nothing is parsed.
bool xmlTextWithinLimits(std::string_view text, const XmlLimits& limits, std::string& refusal);

// How deep the elements below `node` nest (1 for a document with one element and no children),
// walked without recursion.
std::size_t xmlNestingDepth(const TiXmlNode& node);

// False with the reason when the parsed document nests its elements deeper than the limit.
bool xmlTreeWithinLimits(const TiXmlNode& document, const XmlLimits& limits, std::string& refusal);

}  // namespace platform
