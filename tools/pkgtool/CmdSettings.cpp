// pkgtool settings PATH: reads a settings file as the installer would (completing and rewriting
// it when it lacks a setting) and prints what the installer would run with.
#include <cstdio>

#include "common/Text.h"
#include "startup/Settings.h"
#include "tools/pkgtool/Command.h"

namespace {

int run(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: pkgtool settings PATH\n", stderr);
        return 2;
    }
    std::u16string path = utf8ToUtf16(args[0]);
    UnattendedSettings record;
    std::string refusal;
    if (!readSettingsFile(path.c_str(), record, true, &refusal)) {
        std::fprintf(stderr, "not loaded%s%s\n", refusal.empty() ? "" : ": ", refusal.c_str());
        return 1;
    }
    std::printf("language\t%u\n", unsigned(record.language));
    std::printf("licenceAgreed\t%s\n", record.licenceAgreed ? "true" : "false");
    std::printf("showPanel\t%s\n", record.showPanel ? "true" : "false");
    std::printf("hidMode\t%d\n", int(record.hidMode));
    if (record.installBase[0] == u'\0') {
        // Natively there is no Program Files folder to write as the default: the file keeps no
        // Path, and setup.exe takes the one of the machine it runs on.
        std::puts("installBase\t(none: setup.exe uses the Program Files folder of its machine)");
    } else {
        std::printf("installBase\t%s\n", utf16ToUtf8(viewOf(record.installBase)).c_str());
    }
    return 0;
}

CommandRegistration reg{"settings", "settings PATH", run};

}  // namespace
