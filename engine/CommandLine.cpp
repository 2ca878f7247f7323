#include "engine/CommandLine.h"

#include "common/Text.h"

bool quotedCommandLine(std::u16string_view program, std::u16string_view arguments,
                       std::u16string& commandLine) {
    commandLine.clear();
    if (program.empty() || program.size() >= kTextUnits) return false;
    if (program.find(u'"') != std::u16string_view::npos) return false;
    commandLine.reserve(program.size() + arguments.size() + 3);
    commandLine.append(u"\"").append(program).append(u"\"");
    if (!arguments.empty()) commandLine.append(u" ").append(arguments);
    return true;
}

std::u16string_view programOf(std::u16string_view commandLine) {
    if (commandLine.empty() || commandLine[0] != u'"') return commandLine;
    std::size_t close = commandLine.find(u'"', 1);
    return close == std::u16string_view::npos ? std::u16string_view()
                                              : commandLine.substr(1, close - 1);
}
