#include "startup/Switches.h"

#include <string>

#include "startup/SwitchTable.h"

namespace {

using namespace switchtext;
using Value = std::u16string_view;

bool readLanguage(Value name, SetupSwitches& s) {
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
            s.language = language.langId;
            s.hasLanguage = true;
            return true;
        }
    }
    return false;
}

// "/D=" takes the rest of the line: a folder name may hold blanks and need no quotes. Blanks
// after it are dropped, and so are quotes around the whole, and closing backslashes (the
// installation folder is composed below it) except a drive root's own.
bool readFolder(Value rest, SetupSwitches& s) {
    while (!rest.empty() && isBlank(rest.back())) rest.remove_suffix(1);
    if (rest.size() >= 2 && rest.front() == u'"' && rest.back() == u'"') {
        rest = rest.substr(1, rest.size() - 2);
    }
    while (rest.size() > 3 && rest.back() == u'\\') rest.remove_suffix(1);
    if (rest.empty() || rest.find(u'"') != Value::npos) return false;
    s.hasPath = copyText(s.path, rest);
    return s.hasPath;
}

bool readHid(Value text, SetupSwitches& s) {
    std::int64_t n = 0;
    if (!wholeNumber(text, 1, kMostHidRuns, n)) return false;
    s.hasHid = true;
    s.hid = std::int32_t(n);
    return true;
}

bool readSeconds(Value text, std::uint32_t longest, std::uint32_t& seconds) {
    std::int64_t n = 0;
    if (!wholeNumber(text, 0, longest, n)) return false;
    seconds = std::uint32_t(n);
    return true;
}

bool readLog(Value file, SetupSwitches& s) {
    s.logPath = file;
    return !file.empty() && file.size() < kTextUnits;
}

// One line a switch; the usage text and the README's table list them too.
constexpr SwitchRule<SetupSwitches> kSetupSwitches[] = {
    {u"/S", [](Value, SetupSwitches& s) { return s.silent = true; }},
    {u"/?", [](Value, SetupSwitches& s) { return s.help = true; }},
    {u"/PANEL", [](Value, SetupSwitches& s) { return s.panel = true; }},
    {u"/NODEVICE", [](Value, SetupSwitches& s) { return s.noDevice = true; }},
    {u"/NORESTART", [](Value, SetupSwitches& s) { return s.noRestart = true; }},
    {u"/ALLUSERS", [](Value, SetupSwitches& s) { return s.allUsers = true; }},
    {u"/ALLOWDOWNGRADE", [](Value, SetupSwitches& s) { return s.allowDowngrade = true; }},
    {u"/ENDPOINT=",
     [](Value v, SetupSwitches& s) { return s.hasEndpoint = parseEndpoint(v, s.endpoint); }},
    {u"/LANG=", readLanguage},
    {u"/HID=", readHid},
    {u"/LOG=", readLog},
    {u"/WAIT=",
     [](Value v, SetupSwitches& s) {
         return readSeconds(v, kLongestDeviceWaitSeconds, s.waitSeconds);
     }},
    {u"/LOCKWAIT=",
     [](Value v, SetupSwitches& s) {
         return readSeconds(v, kLongestLockWaitSeconds, s.lockWaitSeconds);
     }},
    {u"/D=", readFolder, true},
};

}  // namespace

bool parseSwitches(std::u16string_view line, SetupSwitches& s) {
    LineVerdict verdict = readSwitchLine(line, kSetupSwitches, s);
    s.notUnderstood = verdict.notUnderstood;
    s.noBoxes = s.silent || verdict.asksForSilence;
    return verdict.understood();
}

const char16_t kUsageText[] =
    u"setup.exe [/S] [/LANG=English|Chinese|Italiano|Deutsch|Korean] [/HID=N] [/PANEL]\r\n"
    u"          [/NODEVICE] [/NORESTART] [/LOG=FILE] [/WAIT=SECONDS] [/LOCKWAIT=SECONDS]\r\n"
    u"          [/ALLUSERS] [/ENDPOINT=HOST:PORT] [/ALLOWDOWNGRADE] [/?] [/D=FOLDER]\r\n"
    u"\r\n"
    u"/S\tInstall without a window and without questions; the licence is taken as accepted.\r\n"
    u"/LANG=\tThe language of the installation.\r\n"
    u"/HID=N\tRun the touch driver's install script N times (1 to 10).\r\n"
    u"/PANEL\tShow the panel of the programs started after the installation.\r\n"
    u"/NODEVICE\tInstall everything without the touch device (to prepare machines).\r\n"
    u"/NORESTART\tAccepted: setup.exe never restarts the machine.\r\n"
    u"/LOG=FILE\tWrite the setup log to FILE (default: %TEMP%\\<product>-setup.log).\r\n"
    u"/WAIT=SECONDS\tWith /S: how long to wait for the touch device (default 300).\r\n"
    u"/LOCKWAIT=SECONDS\tWith /S: how long to wait for another installation or removal of\r\n"
    u"\tthe product to end (default 600).\r\n"
    u"/ALLUSERS\tShortcuts and the start-up entry for every user (always so as LocalSystem).\r\n"
    u"/ENDPOINT=HOST:PORT\tThe panel's address and port (an upgrade keeps the earlier one).\r\n"
    u"/ALLOWDOWNGRADE\tLet an older version replace a newer one.\r\n"
    u"/D=FOLDER\tThe base folder; last on the line, blanks allowed without quotes.\r\n"
    u"\r\n"
    u"Exit status: 0 installed; 1 failed or cancelled, nothing installed; 2 not started;\r\n"
    u"3 installed, a driver failed; 4 no touch device; 5 command line not understood;\r\n"
    u"1618 another installation of the product is running; 1638 a newer version is installed;\r\n"
    u"3010 installed, restart required.";
