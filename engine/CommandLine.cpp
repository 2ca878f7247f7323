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
