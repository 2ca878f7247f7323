// pkgtool messages LANGID: the wizard's texts as the table for that LANGID holds them, one slot
// a line, for translators and testers to review.
#include <cstdio>
#include <string>

#include "common/Text.h"
#include "text/MessageTable.h"
#include "tools/pkgtool/Command.h"

namespace {

// A LANGID in decimal, as the settings and the system name them.
bool parseLangId(const std::string& text, std::uint32_t& langId) {
    if (text.empty()) return false;
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + std::uint32_t(c - '0');
        if (value > 0xFFFF) return false;
    }
    langId = value;
    return true;
}

// One line per slot: a CR or LF inside a text would break the line, so it is spelt out.
std::string printable(const char16_t* text) {
    std::string out;
    for (char c : utf16ToUtf8(viewOf(text))) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

int run(const std::vector<std::string>& args) {
    std::uint32_t langId = 0;
    if (args.size() != 1 || !parseLangId(args[0], langId)) {
        std::fputs("usage: pkgtool messages LANGID (a decimal number up to 65535)\n", stderr);
        return 2;
    }
    buildMessageTable(langId);
    for (int slot = 0; slot < kMessageCount; ++slot) {
        std::printf("%d\t%s\t%s\n", slot, messageIdentifier(slot),
                    printable(messageText(MessageId(slot))).c_str());
    }
    clearMessageTable();
    return 0;
}

CommandRegistration reg{"messages", "messages LANGID", run};

}  // namespace
