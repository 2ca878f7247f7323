#include "platform/XmlBounds.h"

#include <tinyxml.h>

#include <algorithm>

namespace platform {

namespace {

// What the library takes for a name's first byte: an ASCII letter, "_", or any byte above 0x7E
// (it cannot tell which of those are letters).
bool mayStartName(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x7F;
}

}  // namespace

bool xmlTextWithinLimits(std::string_view text, const XmlLimits& limits, std::string& refusal) {
    if (text.size() > limits.bytes) {
        refusal = "larger than " + std::to_string(limits.bytes) + " bytes";
        return false;
    }
    std::size_t starts = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '<' && mayStartName(static_cast<unsigned char>(text[i + 1]))) ++starts;
    }
    if (starts > limits.elements) {
        refusal = "holds more than " + std::to_string(limits.elements) + " elements";
        return false;
    }
    return true;
}

std::size_t xmlNestingDepth(const TiXmlNode& node) {
    std::size_t deepest = 0, depth = 0;
    const TiXmlNode* at = node.FirstChild();
    // Down to the first child, else on to the next sibling, else up until a parent has one.
    while (at && at != &node) {
        if (at->ToElement()) deepest = std::max(deepest, depth + 1);
        if (at->FirstChild()) {
            if (at->ToElement()) ++depth;
            at = at->FirstChild();
            continue;
        }
        while (at != &node && !at->NextSibling()) {
            at = at->Parent();
            if (at != &node && at->ToElement()) --depth;
        }
        if (at != &node) at = at->NextSibling();
    }
    return deepest;
}

bool xmlTreeWithinLimits(const TiXmlNode& document, const XmlLimits& limits, std::string& refusal) {
    if (xmlNestingDepth(document) > limits.depth) {
        refusal = "nests elements deeper than " + std::to_string(limits.depth) + " levels";
        return false;
    }
    return true;
}

}  // namespace platform
