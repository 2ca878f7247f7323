#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common/Text.h"
#include "tools/pkgtool/Command.h"

#ifdef _WIN32
#include "platform/win32/DllSafety.h"
#endif

namespace {

struct Command {
    const char* usage;
    CommandFunction run;
};

std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> table;
    return table;
}

int usage() {
    std::fputs("usage:\n", stderr);
    for (const auto& [name, command] : commands())
        std::fprintf(stderr, "  pkgtool %s\n", command.usage);
    return 2;
}

int runPkgtool(const std::vector<std::string>& args) {
    if (args.empty()) return usage();
    auto it = commands().find(args[0]);
    if (it == commands().end()) return usage();
    installSystemPlatform();
    return it->second.run(std::vector<std::string>(args.begin() + 1, args.end()));
}

}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFunction run) {
    commands()[name] = Command{usage, run};
}

#ifdef _WIN32
// Arguments arrive as UTF-16 so that any file name survives; the tool works in UTF-8. The DLL
// search is limited first: the tool runs elevated for install and uninstall.
int wmain(int argc, wchar_t** argv) {
    win32::restrictDllSearchToSystem();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    return runPkgtool(args);
}
#else
int main(int argc, char** argv) {
    return runPkgtool(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
