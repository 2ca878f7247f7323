#include "startup/SwitchTable.h"

#include "common/Text.h"

namespace switchtext {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

bool nextWord(std::u16string_view line, std::size_t& at, std::size_t& start, std::u16string& word) {
    while (at < line.size() && isBlank(line[at])) ++at;
    if (at >= line.size()) return false;
    start = at;
    word.clear();
    bool quoted = false;
    for (; at < line.size() && (quoted || !isBlank(line[at])); ++at) {
        if (line[at] == u'"') {
            quoted = !quoted;
        } else {
            word.push_back(line[at]);
        }
    }
    return true;
}

bool startsWithName(std::u16string_view word, std::u16string_view name) {
    if (word.size() < name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (asciiLower(word[i]) != asciiLower(name[i])) return false;
    }
    return true;
}

bool isName(std::u16string_view word, std::u16string_view name) {
    return word.size() == name.size() && startsWithName(word, name);
}

bool wholeNumber(std::u16string_view text, std::int64_t low, std::int64_t high,
                 std::int64_t& value) {
    bool negative = false;
    if (low < 0 && !text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) return false;
    std::int64_t n = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + (c - u'0');
    }
    if (negative) n = -n;
    if (n < low || n > high) return false;
    value = n;
    return true;
}

bool asksForSilence(std::u16string_view word) {
    if (word.size() >= 2 && word[0] == u'-' && word[1] == u'-') word.remove_prefix(1);
    if (word.empty() || (word[0] != u'/' && word[0] != u'-')) return false;
    word.remove_prefix(1);
    for (const char16_t* quiet :
         {u"S", u"Q", u"QN", u"QUIET", u"SILENT", u"VERYSILENT", u"PASSIVE", u"SUPPRESSMSGBOXES"}) {
        if (isName(word, quiet)) return true;
    }
    return false;
}

void note(LineVerdict& verdict, std::u16string_view word) {
    if (!verdict.notUnderstood.empty()) verdict.notUnderstood += u' ';
    verdict.notUnderstood += word;
}

}  // namespace switchtext
