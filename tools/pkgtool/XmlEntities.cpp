#include "tools/pkgtool/XmlEntities.h"

#include <algorithm>
#include <cctype>

namespace {

bool isDecimal(std::string_view digits) {
    return !digits.empty() &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isHex(std::string_view digits) {
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// The name between "&" and ";", when it is one XML defines without a document type.
bool isDefinedEntity(std::string_view name) {
    if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") {
        return true;
    }
    if (name.size() > 1 && name[0] == '#') {
        std::string_view number = name.substr(1);
        if (number[0] == 'x') return isHex(number.substr(1));
        return isDecimal(number);
    }
    return false;
}

// Where a span that "&" may stand in freely ends, or npos when `at` starts none.
std::size_t skipFreeSpan(std::string_view text, std::size_t at) {
    for (auto [open, close] :
         {std::pair<std::string_view, std::string_view>{"<!--", "-->"}, {"<![CDATA[", "]]>"}}) {
        if (text.substr(at, open.size()) != open) continue;
        std::size_t end = text.find(close, at + open.size());
        return end == std::string_view::npos ? text.size() : end + close.size();
    }
    return std::string_view::npos;
}

}  // namespace

bool findUndefinedEntity(std::string_view text, int& line, std::string& cause) {
    int row = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t skipped = text[i] == '<' ? skipFreeSpan(text, i) : std::string_view::npos;
        if (skipped != std::string_view::npos) {
            row += int(std::count(text.begin() + long(i), text.begin() + long(skipped), '\n'));
            i = skipped;
            continue;
        }
        if (text[i] == '\n') ++row;
        if (text[i] != '&') {
            ++i;
            continue;
        }
        std::size_t semicolon = text.find(';', i);
        std::string_view name = semicolon == std::string_view::npos || semicolon - i > 12
                                    ? std::string_view()
                                    : text.substr(i + 1, semicolon - i - 1);
        if (!isDefinedEntity(name)) {
            line = row;
            cause = name.empty() || name.find_first_of(" \t\r\n&<\"'") != std::string_view::npos
                        ? "not well-formed XML: an \"&\" that starts no entity (write &amp; for "
                          "an ampersand)"
                        : "not well-formed XML: \"&" + std::string(name) +
                              ";\" is no XML entity (XML knows &amp; &lt; &gt; &quot; &apos; "
                              "and &#N;: write the character itself, or &#N; with its number)";
            return true;
        }
        i = semicolon + 1;
    }
    return false;
}
