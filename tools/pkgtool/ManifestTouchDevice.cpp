#include <tinyxml.h>

#include <cstdio>
#include <string_view>

#include "tools/pkgtool/ManifestElements.h"

namespace manifest {

namespace {

bool readHexId(std::string_view text, std::uint16_t& id) {
    if (text.size() < 3 || text.size() > 6 || text[0] != '0' ||
        (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    unsigned value = 0;
    for (char c : text.substr(2)) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) return false;
        value = value << 4 | unsigned(digit);
    }
    id = std::uint16_t(value);
    return true;
}

std::string hexText(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(id));
    return text;
}

bool readTouchVendor(const TiXmlElement& element, TouchDeviceIds& ids, ManifestError& error) {
    std::string text = element.Attribute("vendor");
    if (readHexId(text, ids.vendor) && ids.vendor != 0) return true;
    return refuse(error, element.Row(),
                  "TouchDevice: vendor \"" + text +
                      "\" is not a USB vendor id: write it in hexadecimal from 0x0001 to 0xFFFF, "
                      "as vendor=\"0xAAEC\"");
}

bool addTouchProduct(const TiXmlElement& element, const std::string& word, TouchDeviceIds& ids,
                     ManifestError& error) {
    std::uint16_t id = 0;
    if (!readHexId(word, id)) {
        return refuse(error, element.Row(),
                      "TouchDevice: product id \"" + word +
                          "\" is not a USB product id: write each in hexadecimal from 0x0000 to "
                          "0xFFFF, separated by spaces, as products=\"0x0001 0x0002\"");
    }
    for (std::size_t i = 0; i < ids.productCount; ++i) {
        if (ids.products[i] == id) {
            return refuse(
                error, element.Row(),
                "TouchDevice: product id " + hexText(id) + " is listed twice: list it once");
        }
    }
    if (ids.productCount == kMaxTouchProducts) {
        return refuse(error, element.Row(),
                      "TouchDevice: more than " + std::to_string(kMaxTouchProducts) +
                          " product ids: leave products out to take every product of the vendor");
    }
    ids.products[ids.productCount++] = id;
    return true;
}

bool readTouchProducts(const TiXmlElement& element, TouchDeviceIds& ids, ManifestError& error) {
    const char* list = element.Attribute("products");
    if (!list) return true;
    std::string text = list, word;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        bool space = at == text.size() || text[at] == ' ' || text[at] == '\t';
        if (!space) {
            word.push_back(text[at]);
        } else if (!word.empty()) {
            if (!addTouchProduct(element, word, ids, error)) return false;
            word.clear();
        }
    }
    if (ids.productCount > 0) return true;
    return refuse(error, element.Row(),
                  "TouchDevice: products is empty: leave it out to take every product of the "
                  "vendor, or list ids as products=\"0x0001 0x0002\"");
}

}  // namespace

// The product's touch devices. Ids are written as USB tools and Windows show them: "0x" and one
// to four hexadecimal digits.
bool isTouchDeviceElement(const TiXmlElement& element) {
    return std::string_view(element.Value()) == "TouchDevice";
}

bool readTouchDeviceElement(const TiXmlElement& element, Manifest& manifest, ManifestError& error) {
    int& line = manifest.identityLines.touchDevice;
    if (!checkAttributes(element, {"vendor"}, {"products"}, error) ||
        !checkNoContent(element, error)) {
        return false;
    }
    if (line) {
        return refuse(error, element.Row(),
                      "TouchDevice: given twice (first on line " + std::to_string(line) +
                          "): name one vendor and list its product ids in products");
    }
    line = element.Row();
    TouchDeviceIds ids;
    if (!readTouchVendor(element, ids, error) || !readTouchProducts(element, ids, error)) {
        return false;
    }
    manifest.identity.touch = ids;
    return true;
}

}  // namespace manifest
