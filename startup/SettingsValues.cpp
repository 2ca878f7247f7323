#include "startup/SettingsValues.h"

#include <cstring>
#include <limits>

#include "platform/Codepage.h"
#include "platform/Utf8Codepage.h"

namespace {

struct LanguageName {
    const char* name;
    std::uint32_t langId;
};

constexpr LanguageName kLanguages[] = {
    {"English", 1033}, {"Chinese", 2052}, {"Italiano", 1040}, {"Deutsch", 1031}, {"Korean", 1042},
};

// isspace() of the "C" locale, which is what "%d" skips.
bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::uint32_t languageFromName(const char* name) {
    for (const LanguageName& language : kLanguages) {
        if (std::strcmp(name, language.name) == 0) return language.langId;
    }
    return 1033;
}

bool readDecimal(const char* text, std::int32_t& value) {
    while (isBlank(*text)) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    if (*text < '0' || *text > '9') return false;
    // The magnitude may reach 2^31 only for the most negative number.
    std::int64_t magnitude = 0;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > limit) return false;
    }
    if (!negative && magnitude == limit) return false;
    value = std::int32_t(negative ? -magnitude : magnitude);
    return true;
}

namespace {

platform::Codepage& codepageOf(bool utf8) {
    static platform::Utf8Codepage utf8Text;
    return utf8 ? static_cast<platform::Codepage&>(utf8Text) : platform::codepage();
}

}  // namespace

bool widenPath(const char* text, TextBuffer& path, bool utf8) {
    std::u16string wide;
    TextBuffer fitted;
    if (!codepageOf(utf8).widen(text, wide) || !copyText(fitted, wide)) return false;
    copyText(path, viewOf(fitted));
    return true;
}

bool narrowPath(const TextBuffer& path, std::string& text, bool utf8) {
    std::string narrow;
    if (!codepageOf(utf8).narrow(viewOf(path), narrow) || narrow.size() >= kTextUnits) {
        return false;
    }
    text = std::move(narrow);
    return true;
}
