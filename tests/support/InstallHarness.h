// A loaded shipped-shape package on a fake machine, with a status recorder as the window: the
// ground of the worker tests.
#pragma once

#include "engine/InstallWorker.h"
#include "engine/UninstallJob.h"
#include "tests/support/FakeMachine.h"
#include "tests/support/PackageFixture.h"
#include "tests/support/ShippedPackage.h"

namespace testpkg {

inline const std::u16string kProductFolder = u"C:\\Program Files\\Brenmark\\KorvelServerV6";
inline const std::u16string kLogPath = kProductFolder + u"\\uninstall.log";

// Loads the log at `path` into a job, runs its worker and waits, as the next installer does.
inline bool runUninstallJob(const std::u16string& path) {
    UninstallJob job;
    bool loaded = loadUninstallJob(job, path.c_str());
    if (loaded) {
        startUninstallJob(job);
        waitUninstallJob(job);
    }
    freeUninstallJob(job);
    return loaded;
}

struct InstallHarness {
    FakeMachine machine;
    LoadedConfig package;
    StatusRecorder window;
    WorkerParameter parameter;

    explicit InstallHarness(const std::vector<std::uint8_t>& blob = shippedPackage()) {
        EXPECT_TRUE(package.load(blob));
        parameter.window = &window;
        copyText(parameter.installRoot, u"C:\\Program Files");
        // The panel keeps running once launched, with a window that closes on request.
        fake::FakeProcesses::Behaviour panel;
        panel.runsForMs = fake::FakeProcesses::kHangs;
        panel.windows = 1;
        machine.processes.program(kProductFolder + u"\\KorvelPanel.exe", panel);
    }

    // Runs the worker to its end; true when the installation finished (no rollback).
    bool install() {
        package.config.running = false;
        startInstallWorker(package.config, parameter);
        return package.config.completed;
    }

    // Removes the installation through its saved log, as the next installer would.
    bool uninstall(const std::u16string& log = kLogPath) { return runUninstallJob(log); }

    // The first error a run reported (its code and text), for a failure's message.
    std::string firstError() const {
        for (const auto& m : window.messages) {
            if (m.code == ST_FILE_ERROR || m.code == ST_SERVICE_ERROR || m.code >= 24) {
                return std::to_string(m.code) + " " + utf16ToUtf8(m.text);
            }
        }
        return "no error reported";
    }

    std::vector<int> savedLogTypes(const std::u16string& log = kLogPath) {
        UninstallLog saved;
        std::vector<int> types;
        if (!loadLog(saved, log.c_str())) return types;
        for (LogRecord* r = saved.first; r; r = r->next) types.push_back(r->type);
        return types;
    }
};

}  // namespace testpkg
