// Reading a program's command line against its table of switches. The whole line is read before
// anything is decided: a word that is not understood is noted and the reading goes on, so that a
// /S or /LOG= after it still counts (a run told to be silent must never wait on a box, whatever
// else its line holds). Switches start with a slash and are spelt in any case; a value may be
// quoted. Each program has one table: adding a switch is one line in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One switch of a table. A name that ends in "=" takes a value ("/LANG="); any other name is a
// word of its own ("/S"). `read` takes the value (empty for a word) and answers whether it was
// understood. `restOfLine`: the value is the rest of the line, blanks included ("/D=").
template <typename Switches>
struct SwitchRule {
    const char16_t* name;
    bool (*read)(std::u16string_view value, Switches& switches);
    bool restOfLine = false;
};

// What reading a line found besides the switches themselves.
struct LineVerdict {
    std::u16string notUnderstood;  // every word not understood, as written, blank-separated
    bool asksForSilence = false;   // a word asking for a run without questions, understood or not
    bool understood() const { return notUnderstood.empty(); }
};

namespace switchtext {

bool isBlank(char16_t c);
// The word starting at `at` (blanks skipped first): up to the next blank outside quotes, the
// quotes themselves left out. `start` is where it began; false at the end of the line.
bool nextWord(std::u16string_view line, std::size_t& at, std::size_t& start, std::u16string& word);
// ASCII letters compared without regard to case.
bool startsWithName(std::u16string_view word, std::u16string_view name);
bool isName(std::u16string_view word, std::u16string_view name);
// A whole decimal number from `low` to `high`: digits only (a sign when `low` is negative), no
// text after it.
bool wholeNumber(std::u16string_view text, std::int64_t low, std::int64_t high,
                 std::int64_t& value);
// Words other installers and MSI take for "no questions" (/S, -S, /quiet, /q, /qn, /silent,
// /verysilent, /passive, /suppressmsgboxes, in any case): whether this program understands
// them or not, a line holding one never opens a box.
bool asksForSilence(std::u16string_view word);
void note(LineVerdict& verdict, std::u16string_view word);

}  // namespace switchtext

// Reads `line` with the rules of a table of `count` entries into `switches`.
template <typename Switches>
LineVerdict readSwitchLine(std::u16string_view line, const SwitchRule<Switches>* rules,
                           std::size_t count, Switches& switches) {
    using namespace switchtext;
    LineVerdict verdict;
    std::size_t at = 0, start = 0;
    std::u16string word;
    while (nextWord(line, at, start, word)) {
        if (asksForSilence(word)) verdict.asksForSilence = true;
        const SwitchRule<Switches>* rule = nullptr;
        for (std::size_t i = 0; i < count && !rule; ++i) {
            std::u16string_view name(rules[i].name);
            bool takesValue = !name.empty() && name.back() == u'=';
            if (takesValue ? startsWithName(word, name) : isName(word, name)) rule = &rules[i];
        }
        std::u16string_view value;
        std::u16string rest;
        if (rule) value = std::u16string_view(word).substr(std::u16string_view(rule->name).size());
        if (rule && rule->restOfLine) {
            // Whether the switch came quoted whole ("/D=C:\a b", as a program that quotes each
            // argument passes it) or not at all, the rest of the line is its value.
            rest = std::u16string(value) + std::u16string(line.substr(at));
            value = rest;
            at = line.size();
        }
        if (!rule || !rule->read(value, switches)) {
            note(verdict,
                 rule && rule->restOfLine ? line.substr(start) : line.substr(start, at - start));
        }
    }
    return verdict;
}

template <typename Switches, std::size_t N>
LineVerdict readSwitchLine(std::u16string_view line, const SwitchRule<Switches> (&rules)[N],
                           Switches& switches) {
    return readSwitchLine(line, rules, N, switches);
}
