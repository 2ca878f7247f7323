#include "engine/ProgramShutdown.h"

#include <string>
#include <vector>

#include "common/Names.h"
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

ClosedPrograms::~ClosedPrograms() {
    for (ClosedProgram& c : list) {
        if (c.owner.token) platform::processes().close(c.owner.token);
    }
}

void findRunningPrograms(const std::vector<std::u16string>& folders, std::u16string_view newFolder,
                         ClosedPrograms& found) {
    auto& procs = platform::processes();
    std::vector<platform::ProcessEntry> entries;
    if (!procs.listProcesses(entries)) return;
    for (const auto& entry : entries) {
        if (!isExePath(entry.exeFile.c_str())) continue;
        platform::OsHandle process = procs.open(entry.id);
        std::u16string image;
        if (!process) continue;
        for (const std::u16string& folder : folders) {
            if (!procs.imagePath(process, image) || !isInsideFolder(image, folder)) continue;
            ClosedProgram program;
            program.path = std::u16string(newFolder) + image.substr(folder.size());
            if (!procs.ownerOf(process, program.owner)) program.owner = {};
            found.list.push_back(std::move(program));
            break;
        }
        procs.close(process);
    }
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
