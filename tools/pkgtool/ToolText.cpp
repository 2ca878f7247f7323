#include "tools/pkgtool/ToolText.h"

#include <cstdio>

#include "common/Text.h"

std::u16string toolPath(std::string_view arg) {
    std::u16string path = utf8ToUtf16(arg);
    for (char16_t& c : path) {
        if (c == u'/') c = u'\\';
    }
    return path;
}

std::string printable(std::u16string_view text) {
    return utf16ToUtf8(text);
}

int toolError(const std::string& message) {
    std::fprintf(stderr, "pkgtool: %s\n", message.c_str());
    return 1;
}
