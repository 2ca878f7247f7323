// Steps 9 to 11: driver sets in HID-first order, their scripts for the machine's processor.
#include "engine/InstallWorker.h"
#include "engine/RunProgram.h"
#include "engine/WorkerRun.h"
#include "platform/SystemInfo.h"

namespace {

bool isHidSet(const DriverScriptSet& set) {
    const FileNode* script = set.installX64 ? set.installX64 : set.installX86;
    return script && containsHid(viewOf(script->name));
}

// The script's target path; empty for a missing script or one whose path does not fit (it is
// treated as missing rather than cut into another path).
void scriptPath(const FileNode* script, TextBuffer& path) {
    if (!script || !targetPathOf(*script, path)) path[0] = 0;
}

// Runs the install script `times` times; the set succeeded when any run did.
bool runInstallScript(const TextBuffer& path, int times) {
    bool succeeded = false;
    for (int i = 0; i < times; ++i) {
        if (runProgram(path, u"", kDriverScriptLimitMs)) succeeded = true;
    }
    return succeeded;
}

}  // namespace

bool containsHid(std::u16string_view text) {
    return containsIgnoringAsciiCase(text, u"HID");
}

void orderDriverSets(InstallConfig& config) {
    DriverScriptSet* hid = nullptr;
    DriverScriptSet* other = nullptr;
    for (DriverScriptSet* set = config.driverScriptSets; set;) {
        DriverScriptSet* next = set->next;
        DriverScriptSet*& group = isHidSet(*set) ? hid : other;
        set->next = group;
        group = set;
        set = next;
    }
    DriverScriptSet** tail = &hid;
    while (*tail) tail = &(*tail)->next;
    *tail = other;
    config.driverScriptSets = hid;
}

void runDriverScripts(WorkerRun& run) {
    if (!run.config.driverScriptSets) return;
    int repeat = run.parameter().hidRunCount > 0 ? run.parameter().hidRunCount : 1;
    if (run.parameter().hidRunCount == 0) platform::systemInfo().monitorCount();
    bool x64 = platform::systemInfo().nativeArchitecture() == platform::kArchitectureAmd64;
    for (DriverScriptSet* set = run.config.driverScriptSets; set && run.running();
         set = set->next) {
        TextBuffer install, uninstall;
        scriptPath(x64 ? set->installX64 : set->installX86, install);
        scriptPath(x64 ? set->uninstallX64 : set->uninstallX86, uninstall);
        if (install[0] == 0) continue;
        reportProgress(run, ST_INSTALLING_DRIVER, install);
        if (uninstall[0] != 0) {
            runProgram(uninstall, u"", kDriverScriptLimitMs);
            pauseUnlessQuiet(run, 1000);
        }
        if (runInstallScript(install, isHidSet(*set) ? repeat : 1)) {
            appendText(run.log, LOG_DRIVER_SCRIPT, viewOf(uninstall));
        }
    }
}
