#include <cstdio>
#include <string>
#include <vector>

#include "common/Text.h"

int runPkgtool(const std::vector<std::string>& args);

int runPkgtool(const std::vector<std::string>&) {
    std::fputs("usage: pkgtool COMMAND ...\n", stderr);
    return 2;
}

#ifdef _WIN32
// Arguments arrive as UTF-16 so that any file name survives; the tool works in UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    return runPkgtool(args);
}
#else
int main(int argc, char** argv) { return runPkgtool(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
