// pkgtool uninstall PATH\uninstall.log: removes an installation the way the next installer
// would, and waits for it.
#include <cstdio>

#include "engine/UninstallJob.h"
#include "tools/pkgtool/Command.h"

namespace {

int run(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: pkgtool uninstall PATH\\uninstall.log\n", stderr);
        return 2;
    }
    if (!platform::os().registry || !platform::os().services) {
        std::fputs("pkgtool uninstall needs Windows (registry, services)\n", stderr);
        return 2;
    }
    std::u16string path = utf8ToUtf16(args[0]);
    UninstallJob job;
    bool loaded = loadUninstallJob(job, path.c_str());
    bool believed = loaded && job.trust.believed;
    if (believed) {
        startUninstallJob(job);
        waitUninstallJob(job);
    }
    freeUninstallJob(job);
    if (!loaded) {
        std::fprintf(stderr, "cannot read a log from %s\n", args[0].c_str());
    } else if (!believed) {
        // The next installer would take no notice of such a log either.
        std::fprintf(stderr,
                     "not acting on %s: its header does not name the folder it lies in, others "
                     "can write that folder or the log, or a folder on the way to it is a link "
                     "or one others could rename or replace\n",
                     args[0].c_str());
    }
    return believed ? 0 : 1;
}

CommandRegistration registration{"uninstall", "uninstall PATH\\uninstall.log", run};

}  // namespace
