#include "common/Endpoint.h"

namespace {

// A decimal number of at most `digits` digits, no sign, no leading zero, at most `limit`.
bool decimal(std::u16string_view text, std::size_t digits, unsigned limit, unsigned& value) {
    if (text.empty() || text.size() > digits || (text.size() > 1 && text[0] == u'0')) return false;
    unsigned n = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + unsigned(c - u'0');
    }
    if (n > limit) return false;
    value = n;
    return true;
}

}  // namespace

bool parseIpv4(std::u16string_view text, std::uint8_t (&address)[4]) {
    std::uint8_t parts[4] = {};
    for (int i = 0; i < 4; ++i) {
        std::size_t dot = i < 3 ? text.find(u'.') : text.size();
        unsigned value = 0;
        if (dot == std::u16string_view::npos || !decimal(text.substr(0, dot), 3, 255, value)) {
            return false;
        }
        parts[i] = std::uint8_t(value);
        text = i < 3 ? text.substr(dot + 1) : std::u16string_view();
    }
    for (int i = 0; i < 4; ++i) address[i] = parts[i];
    return true;
}

bool parsePort(std::u16string_view text, std::uint16_t& port) {
    unsigned value = 0;
    if (!decimal(text, 5, 65535, value) || value == 0) return false;
    port = std::uint16_t(value);
    return true;
}

bool parseEndpoint(std::u16string_view text, Endpoint& endpoint) {
    std::size_t colon = text.rfind(u':');
    Endpoint read;
    if (colon == std::u16string_view::npos || !parseIpv4(text.substr(0, colon), read.address) ||
        !parsePort(text.substr(colon + 1), read.port)) {
        return false;
    }
    endpoint = read;
    return true;
}

std::u16string endpointText(const Endpoint& e) {
    std::u16string text;
    auto number = [&text](unsigned n) {
        std::u16string digits;
        do {
            digits.insert(digits.begin(), char16_t(u'0' + n % 10));
            n /= 10;
        } while (n);
        text += digits;
    };
    for (int i = 0; i < 4; ++i) {
        number(e.address[i]);
        text += i < 3 ? u"." : u":";
    }
    number(e.port);
    return text;
}
