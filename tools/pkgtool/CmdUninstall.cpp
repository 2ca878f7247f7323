// pkgtool uninstall PATH\uninstall.log: removes an installation the way the next installer
// would, waits for it, and says what of it is still there. Exit status: 0 everything removed,
// 1 the log could not be read or is not believed (nothing done), 2 usage, 3 something stayed
// (one line each on stderr).
#include <cstdio>

#include "common/Text.h"
#include "engine/ProductRemoval.h"
#include "platform/Platform.h"
#include "tools/pkgtool/Command.h"

namespace {

constexpr int kRemoved = 0;
constexpr int kNotActedOn = 1;
constexpr int kUsage = 2;
constexpr int kLeftBehind = 3;

int run(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: pkgtool uninstall PATH\\uninstall.log\n", stderr);
        return kUsage;
    }
    if (!platform::os().registry || !platform::os().services) {
        std::fputs("pkgtool uninstall needs Windows (registry, services)\n", stderr);
        return kUsage;
    }
    std::u16string path = utf8ToUtf16(args[0]);
    RemovalReport report = removeInstallation(path.c_str(), nullptr);
    if (!report.loaded) {
        std::fprintf(stderr, "cannot read a log from %s\n", args[0].c_str());
        return kNotActedOn;
    }
    if (!report.believed) {
        // The next installer would take no notice of such a log either.
        std::fprintf(stderr,
                     "not acting on %s: its header does not name the folder it lies in, others "
                     "can write that folder or the log, or a folder on the way to it is a link "
                     "or one others could rename or replace\n",
                     args[0].c_str());
        return kNotActedOn;
    }
    removeProductFolders(report.trust, report.leftovers);
    for (const std::u16string& left : report.leftovers) {
        std::fprintf(stderr, "still there: %s\n", utf16ToUtf8(left).c_str());
    }
    return report.leftovers.empty() ? kRemoved : kLeftBehind;
}

CommandRegistration registration{"uninstall", "uninstall PATH\\uninstall.log", run};

}  // namespace
