#include "startup/Switches.h"

#include <string>

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// The word starting at `at`: up to the next blank outside quotes, the quotes themselves left out.
std::u16string nextWord(std::u16string_view line, std::size_t& at) {
    std::u16string word;
    bool quoted = false;
    for (; at < line.size() && (quoted || !isBlank(line[at])); ++at) {
        if (line[at] == u'"') {
            quoted = !quoted;
        } else {
            word.push_back(line[at]);
        }
    }
    return word;
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

// A whole decimal number: digits only, an optional sign for `allowSign`, no text after it.
bool wholeNumber(std::u16string_view text, bool allowSign, std::int64_t limit,
                 std::int64_t& value) {
    bool negative = false;
    if (allowSign && !text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) return false;
    std::int64_t n = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + (c - u'0');
    }
    if (n > limit) return false;
    value = negative ? -n : n;
    return true;
}

bool readLanguage(std::u16string_view name, std::uint32_t& langId) {
    static const struct {
        const char16_t* name;
        std::uint32_t langId;
    } kNames[] = {{u"English", 1033},
                  {u"Chinese", 2052},
                  {u"Italiano", 1040},
                  {u"Deutsch", 1031},
                  {u"Korean", 1042}};
    for (const auto& language : kNames) {
        if (isName(name, language.name)) {
            langId = language.langId;
            return true;
        }
    }
    return false;
}

// "/D=" takes the rest of the line: a folder name may hold blanks and need no quotes. Blanks
// after it are dropped, and so are quotes around the whole, and closing backslashes (the
// installation folder is composed below it) except a drive root's own.
bool readFolder(const std::u16string& text, TextBuffer& path) {
    std::u16string_view rest(text);
    while (!rest.empty() && isBlank(rest.back())) rest.remove_suffix(1);
    if (rest.size() >= 2 && rest.front() == u'"' && rest.back() == u'"') {
        rest = rest.substr(1, rest.size() - 2);
    }
    while (rest.size() > 3 && rest.back() == u'\\') rest.remove_suffix(1);
    if (rest.empty() || rest.find(u'"') != std::u16string_view::npos) return false;
    return copyText(path, rest);
}

bool readSwitch(const std::u16string& word, SetupSwitches& s) {
    std::int64_t n = 0;
    if (isName(word, u"/S")) {
        s.silent = true;
    } else if (isName(word, u"/?")) {
        s.help = true;
    } else if (isName(word, u"/PANEL")) {
        s.panel = true;
    } else if (isName(word, u"/ALLUSERS")) {
        s.allUsers = true;
    } else if (isName(word, u"/ALLOWDOWNGRADE")) {
        s.allowDowngrade = true;
    } else if (startsWithName(word, u"/ENDPOINT=")) {
        s.hasEndpoint = parseEndpoint(std::u16string_view(word).substr(10), s.endpoint);
        return s.hasEndpoint;
    } else if (startsWithName(word, u"/LANG=")) {
        s.hasLanguage = readLanguage(std::u16string_view(word).substr(6), s.language);
        return s.hasLanguage;
    } else if (startsWithName(word, u"/HID=")) {
        if (!wholeNumber(std::u16string_view(word).substr(5), true, 0x7FFFFFFF, n)) return false;
        s.hasHid = true;
        s.hid = std::int32_t(n);
    } else if (startsWithName(word, u"/LOG=")) {
        s.logPath = word.substr(5);
        return !s.logPath.empty() && s.logPath.size() < kTextUnits;
    } else if (startsWithName(word, u"/WAIT=")) {
        if (!wholeNumber(std::u16string_view(word).substr(6), false, kLongestDeviceWaitSeconds,
                         n)) {
            return false;
        }
        s.waitSeconds = std::uint32_t(n);
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool parseSwitches(std::u16string_view line, SetupSwitches& s) {
    std::size_t at = 0;
    for (;;) {
        while (at < line.size() && isBlank(line[at])) ++at;
        if (at >= line.size()) return true;
        std::size_t start = at;
        std::u16string word = nextWord(line, at);
        // The rest of the line belongs to the folder, whether the switch came quoted whole
        // ("/D=C:\a b", as a program that quotes each argument passes it) or not at all.
        if (startsWithName(word, u"/D=")) {
            s.hasPath = readFolder(word.substr(3) + std::u16string(line.substr(at)), s.path);
            if (!s.hasPath) s.notUnderstood = std::u16string(line.substr(start));
            return s.hasPath;
        }
        if (!readSwitch(word, s)) {
            s.notUnderstood = std::u16string(line.substr(start, at - start));
            return false;
        }
    }
}

const char16_t kUsageText[] =
    u"setup.exe [/S] [/LANG=English|Chinese|Italiano|Deutsch|Korean] [/HID=N] [/PANEL]\r\n"
    u"          [/LOG=FILE] [/WAIT=SECONDS] [/ALLUSERS] [/ENDPOINT=HOST:PORT]\r\n"
    u"          [/ALLOWDOWNGRADE] [/?] [/D=FOLDER]\r\n"
    u"\r\n"
    u"/S\tInstall without a window and without questions; the licence is taken as accepted.\r\n"
    u"/LANG=\tThe language of the installation.\r\n"
    u"/HID=N\tRun the touch driver's install script N times.\r\n"
    u"/PANEL\tShow the panel of the programs started after the installation.\r\n"
    u"/LOG=FILE\tWrite the setup log to FILE (default: %TEMP%\\<product>-setup.log).\r\n"
    u"/WAIT=SECONDS\tWith /S: how long to wait for the touch device (default 300).\r\n"
    u"/ALLUSERS\tShortcuts and the start-up entry for every user (always so as LocalSystem).\r\n"
    u"/ENDPOINT=HOST:PORT\tThe panel's address and port (an upgrade keeps the earlier one).\r\n"
    u"/ALLOWDOWNGRADE\tLet an older version replace a newer one.\r\n"
    u"/D=FOLDER\tThe base folder; last on the line, blanks allowed without quotes.\r\n"
    u"\r\n"
    u"Exit status: 0 installed; 1 failed or cancelled, nothing installed; 2 not started;\r\n"
    u"3 installed, a driver failed; 4 no touch device; 5 command line not understood;\r\n"
    u"1638 a newer version is installed; 3010 installed, restart required.";
