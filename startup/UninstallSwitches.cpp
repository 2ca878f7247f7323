#include "startup/UninstallSwitches.h"

#include "startup/SwitchTable.h"

namespace {

using Value = std::u16string_view;

bool readSeconds(Value text, std::uint32_t& seconds) {
    std::int64_t n = 0;
    if (!switchtext::wholeNumber(text, 0, kLongestLockWaitSeconds, n)) return false;
    seconds = std::uint32_t(n);
    return true;
}

// A path of at most 259 units, not empty.
bool readPath(Value text, std::u16string& path) {
    path = text;
    return !text.empty() && text.size() < kTextUnits;
}

// One line a switch, as setup.exe's table.
constexpr SwitchRule<UninstallSwitches> kUninstallSwitches[] = {
    {u"/S", [](Value, UninstallSwitches& s) { return s.silent = true; }},
    {u"/?", [](Value, UninstallSwitches& s) { return s.help = true; }},
    {u"/NORESTART", [](Value, UninstallSwitches& s) { return s.noRestart = true; }},
    {u"/LOG=", [](Value v, UninstallSwitches& s) { return readPath(v, s.logPath); }},
    {u"/LOCKWAIT=",
     [](Value v, UninstallSwitches& s) { return readSeconds(v, s.lockWaitSeconds); }},
    {u"/RUN=", [](Value v, UninstallSwitches& s) { return readPath(v, s.runFor); }},
    {u"/PARENT=",
     [](Value v, UninstallSwitches& s) {
         std::int64_t id = 0;
         if (!switchtext::wholeNumber(v, 1, 0xFFFFFFFF, id)) return false;
         s.parent = std::uint32_t(id);
         return true;
     }},
};

}  // namespace

bool parseUninstallSwitches(std::u16string_view line, UninstallSwitches& s) {
    LineVerdict verdict = readSwitchLine(line, kUninstallSwitches, s);
    s.notUnderstood = verdict.notUnderstood;
    s.noBoxes = s.silent || verdict.asksForSilence;
    return verdict.understood();
}

const char16_t kUninstallUsageText[] =
    u"Uninstall.exe [/S] [/NORESTART] [/LOG=FILE] [/LOCKWAIT=SECONDS] [/?]\r\n"
    u"\r\n"
    u"/S\tRemove the installation without a question and without any box.\r\n"
    u"/NORESTART\tAccepted: the uninstaller never restarts the machine.\r\n"
    u"/LOG=FILE\tWrite the log to FILE (default: %TEMP%\\<product>-uninstall.log).\r\n"
    u"/LOCKWAIT=SECONDS\tWith /S: how long to wait for another installation or removal of\r\n"
    u"\tthe product to end (default 600).\r\n"
    u"\r\n"
    u"Exit status: 0 removed; 1 declined, or not everything removed (the log says what stayed\r\n"
    u"and why); 2 no installation here; 5 command line not understood; 1618 another\r\n"
    u"installation or removal of the product is running.";
