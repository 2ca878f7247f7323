// Any bytes as an XML document read under bounds, as script.ini, a manifest and the panel's
// configuration are read: what the element count lets through is parsed without ending on the
// stack, and a document that is accepted nests no deeper than its bound and is no larger. The
// elements the library made, even of a document it then refused as malformed, are never more
// than the element starts counted before it was given the text.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/XmlBounds.h"
#include "platform/XmlText.h"

namespace {

// Tight bounds, so that short inputs reach each of them.
constexpr platform::XmlLimits kLimits{4096, 24, 4};

std::size_t elementsBelow(const TiXmlNode& node) {
    std::size_t count = 0;
    for (const TiXmlNode* child = node.FirstChild(); child; child = child->NextSibling()) {
        if (child->ToElement()) ++count;
        count += elementsBelow(*child);
    }
    return count;
}

void check(const std::string& bytes, bool asFile) {
    TiXmlDocument doc;
    std::string refusal;
    bool read = asFile ? platform::parseXmlFile(bytes, doc, kLimits, refusal)
                       : platform::parseXmlText(bytes, TIXML_ENCODING_UTF8, doc, kLimits, refusal);
    if (read && (!refusal.empty() || bytes.size() > kLimits.bytes ||
                 platform::xmlNestingDepth(doc) > kLimits.depth)) {
        __builtin_trap();
    }
    // The recursion below is as deep as the tree, which the element count bounds.
    if (elementsBelow(doc) > kLimits.elements) __builtin_trap();
    if (!read && refusal.empty() && !doc.Error()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    check(bytes, true);
    check(bytes, false);
    return 0;
}
