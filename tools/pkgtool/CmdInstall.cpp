// pkgtool install PACKAGE.bin --root DIR [--lang LANGID] [--quiet] [--show-panel] [--hid N]:
// the installer's own worker, run to its end, with every status message printed.
#include <cstdio>
#include <cstdlib>

#include "engine/InstallWorker.h"
#include "engine/StatusCode.h"
#include "platform/StatusChannel.h"
#include "tools/pkgtool/Command.h"
#include "tools/pkgtool/PackageFile.h"

namespace {

// One line a message: the code's name, a tab, the text.
class PrintingChannel : public platform::StatusChannel {
public:
    void send(std::uint32_t code, const char16_t* text) override {
        const char* name = statusCodeName(code);
        std::string line = name ? name : "status " + std::to_string(code);
        if (text) line += "\t" + utf16ToUtf8(viewOf(text));
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
};

bool parseNumber(const std::string& text, long long low, long long high, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == 0 && value >= low && value <= high;
}

bool parseOptions(const std::vector<std::string>& args, WorkerParameter& p, std::string& package) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        long long n = 0;
        if (a == "--quiet") {
            p.quiet = 1;
        } else if (a == "--show-panel") {
            p.showPanel = 1;
        } else if (a == "--root" && hasValue) {
            if (!copyText(p.installRoot, utf8ToUtf16(args[++i]))) return false;
        } else if (a == "--lang" && hasValue && parseNumber(args[++i], 0, 0xFFFF, n)) {
            p.language = std::uint32_t(n);
        } else if (a == "--hid" && hasValue && parseNumber(args[++i], INT32_MIN, INT32_MAX, n)) {
            p.hidRunCount = std::int32_t(n);
        } else if (package.empty() && !a.starts_with("--")) {
            package = a;
        } else {
            return false;
        }
    }
    return !package.empty() && p.installRoot[0] != 0;
}

int run(const std::vector<std::string>& args) {
    static PrintingChannel printer;
    WorkerParameter parameter;
    parameter.window = &printer;
    parameter.showPanel = 0;
    std::string packagePath;
    if (!parseOptions(args, parameter, packagePath)) {
        std::fputs(
            "usage: pkgtool install PACKAGE.bin --root DIR [--lang LANGID] [--quiet] "
            "[--show-panel] [--hid N]\n",
            stderr);
        return 2;
    }
    if (!platform::os().registry || !platform::os().services || !platform::os().shell) {
        std::fputs("pkgtool install needs Windows (registry, services, shell links)\n", stderr);
        return 2;
    }
    LoadedPackage package;
    if (!package.load(packagePath)) return 1;
    InstallConfig& config = package.config();
    startInstallWorker(config, parameter);
    if (config.workerThread) config.workerThread->wait();
    return config.completed ? 0 : 1;
}

CommandRegistration registration{
    "install", "install PACKAGE.bin --root DIR [--lang LANGID] [--quiet] [--show-panel] [--hid N]",
    run};

}  // namespace
