// Steps 9 to 11: driver sets in HID-first order, their scripts for the machine's processor.
#include "engine/ExitStatus.h"
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

// What a script's run means for the installation's exit status.
enum class ScriptVerdict { Succeeded, RestartRequired, Failed };

ScriptVerdict verdictOf(const ScriptRun& run) {
    if (run.outcome != ScriptRun::Ended) return ScriptVerdict::Failed;
    if (run.exitCode == 0) return ScriptVerdict::Succeeded;
    if (run.exitCode == kExitRestartRequired || run.exitCode == kExitRestartStarted) {
        return ScriptVerdict::RestartRequired;
    }
    return ScriptVerdict::Failed;
}

// Runs the install script `times` times; the set succeeded when any run ended in time. Its
// verdict is the best of its runs: one good run is enough for a set run once per screen.
bool runInstallScript(const TextBuffer& path, int times, bool native, ScriptVerdict& verdict) {
    bool succeeded = false;
    verdict = ScriptVerdict::Failed;
    for (int i = 0; i < times; ++i) {
        ScriptRun run = runDriverScript(path, kDriverScriptLimitMs, native);
        if (run.outcome == ScriptRun::Ended) succeeded = true;
        ScriptVerdict v = verdictOf(run);
        if (v == ScriptVerdict::Succeeded || verdict == ScriptVerdict::Failed) verdict = v;
    }
    return succeeded;
}

void noteVerdict(InstallConfig& config, ScriptVerdict verdict) {
    if (verdict == ScriptVerdict::Failed) config.driverFailed = true;
    if (verdict == ScriptVerdict::RestartRequired) config.restartRequired = true;
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
    bool x64 = driverScriptsRunNatively();
    for (DriverScriptSet* set = run.config.driverScriptSets; set && run.running();
         set = set->next) {
        TextBuffer install, uninstall;
        scriptPath(x64 ? set->installX64 : set->installX86, install);
        scriptPath(x64 ? set->uninstallX64 : set->uninstallX86, uninstall);
        if (install[0] == 0) continue;
        reportProgress(run, ST_INSTALLING_DRIVER, install);
        // On 64-bit Windows the x64 scripts run in the native command processor: under the
        // 32-bit one, System32 is redirected and the 64-bit tools they call are not found.
        if (uninstall[0] != 0) {
            runDriverScript(uninstall, kDriverScriptLimitMs, x64);
            pauseUnlessQuiet(run, 1000);
        }
        // Recorded first: a script stopped half-way still has its uninstall script run back.
        appendText(run.log, LOG_DRIVER_SCRIPT, viewOf(uninstall));
        ScriptVerdict verdict;
        if (!runInstallScript(install, isHidSet(*set) ? repeat : 1, x64, verdict)) {
            dropLastRecord(run.log);
        }
        noteVerdict(run.config, verdict);
    }
}
