#include "engine/ProgramShutdown.h"

#include <string>
#include <vector>

#include "common/Text.h"
#include "engine/SetupLog.h"
#include "platform/Processes.h"

bool isExePath(const char16_t* path) {
    std::u16string_view text = path ? std::u16string_view(path) : u"";
    if (text.size() <= 4) return true;
    std::u16string_view tail = text.substr(text.size() - 4);
    const char16_t* ext = u".exe";
    for (std::size_t i = 0; i < 4; ++i) {
        if (asciiLower(tail[i]) != ext[i]) return false;
    }
    return true;
}

bool closeProgram(const char16_t* path) {
    if (!path) return true;
    auto& procs = platform::processes();
    std::u16string_view full(path);
    std::u16string_view name = fileNameOf(full);
    std::vector<platform::ProcessEntry> entries;
    if (!procs.listProcesses(entries)) return true;
    for (const auto& entry : entries) {
        if (entry.exeFile != name) continue;
        platform::OsHandle process = procs.open(entry.id);
        if (!process) continue;
        std::u16string image;
        if (procs.imagePath(process, image) && image == full) {
            procs.postCloseToWindows(entry.id);
            const char* how = "closed a running program of the product (it was asked to)";
            if (procs.wait(process, kCloseWaitMs) == platform::WaitResult::TimedOut) {
                procs.terminate(process, 0);
                procs.wait(process, kCloseWaitMs);
                how = "closed a running program of the product (ended by force after 30 s)";
            }
            logEvent(how, full);
        }
        procs.close(process);
    }
    return true;
}
