// Every platform call of a whole installation, failed in turn and cancelled at in turn: the
// machine ends either as it was, or installed with a log that removes everything again.
#include <gtest/gtest.h>

#include <new>
#include <set>

#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"

using namespace testpkg;

namespace {

int callsOfAWholeInstallation() {
    InstallHarness h;
    EXPECT_TRUE(h.install());
    return fake::faults().calls();
}

// After the run: rolled back means untouched; finished means the saved log undoes it all.
void expectCleanAfter(InstallHarness& h, bool finished, const MachineSnapshot& before, int n) {
    fake::faults().clear();
    if (finished && h.machine.files.hasFile(kLogPath)) {
        EXPECT_TRUE(h.uninstall()) << "call " << n;
    } else if (finished) {
        // The log could not be saved: the installation stays, as it always has.
        return;
    }
    MachineSnapshot after = h.machine.snapshot();
    EXPECT_TRUE(after == before) << "call " << n << "\n" << describeDifference(before, after);
}

// Letting go of a handle, a key or COM, waiting and reading the clock never allocate; starting
// the worker's thread happens on the caller's side, which handles its own memory.
bool mayRunOutOfMemory(const std::string& operation) {
    static const std::set<std::string> never = {"closeService",   "closeKey", "closeHandle",
                                                "coUninitialize", "sleep",    "tickCount",
                                                "startThread"};
    return !never.count(operation);
}

}  // namespace

TEST(WorkerSweep, FailingEachCallInTurnLeavesNothingBehind) {
    int total = callsOfAWholeInstallation();
    ASSERT_GT(total, 250);
    int rolledBack = 0, injected = 0;
    for (int n = 1; n <= total; ++n) {
        InstallHarness h;
        MachineSnapshot before = h.machine.snapshot();
        fake::faults().clear();
        fake::faults().failCallNumber(n);
        bool finished = h.install();
        injected += fake::faults().injected();
        SCOPED_TRACE(fake::faults().trace()[std::size_t(n - 1)]);
        rolledBack += !finished;
        expectCleanAfter(h, finished, before, n);
        if (HasFailure()) break;
    }
    EXPECT_EQ(injected, total);
    EXPECT_GT(rolledBack, 52);  // at least every file write is fatal
    RecordProperty("calls_failed_in_turn", total);
}

TEST(WorkerSweep, CancellingAtEachCallInTurnLeavesNothingBehind) {
    int total = callsOfAWholeInstallation();
    int rolledBack = 0;
    RecordProperty("calls_cancelled_at_in_turn", total);
    for (int n = 1; n <= total; ++n) {
        InstallHarness h;
        MachineSnapshot before = h.machine.snapshot();
        fake::faults().clear();
        fake::faults().onCall = [&h, n](int call, const std::string&) {
            if (call == n) h.package.config.running = false;
        };
        bool finished = h.install();
        rolledBack += !finished;
        SCOPED_TRACE(fake::faults().trace()[std::size_t(n - 1)] +
                     (finished ? " (finished)" : " (rolled back)"));
        expectCleanAfter(h, finished, before, n);
        if (HasFailure()) break;
    }
    EXPECT_GT(rolledBack, 52);
}

// Memory may run out in any call: the worker never lets it escape its thread (that would end
// the process with nothing undone), and the machine ends as after a failed call.
TEST(WorkerSweep, MemoryRunningOutAtEachCallInTurnLeavesNothingBehind) {
    int total = callsOfAWholeInstallation();
    int rolledBack = 0;
    for (int n = 1; n <= total; ++n) {
        InstallHarness h;
        MachineSnapshot before = h.machine.snapshot();
        fake::faults().clear();
        fake::faults().onCall = [n](int call, const std::string& operation) {
            if (call == n && mayRunOutOfMemory(operation)) throw std::bad_alloc();
        };
        bool finished = h.install();
        rolledBack += !finished;
        SCOPED_TRACE(fake::faults().trace()[std::size_t(n - 1)] +
                     (finished ? " (finished)" : " (rolled back)"));
        EXPECT_EQ(h.window.codes().back(), ST_WORKER_DONE) << "call " << n;
        if (!finished) {
            EXPECT_GE(h.window.count(ST_FILE_ERROR) + h.window.count(ST_PREVIOUS_VERSION_LEFT), 1)
                << "call " << n;
        }
        expectCleanAfter(h, finished, before, n);
        if (HasFailure()) break;
    }
    EXPECT_GT(rolledBack, 52);
}

namespace {

bool related(const std::u16string& a, const std::u16string& b) {
    auto lower = [](std::u16string s) {
        for (auto& c : s) c = asciiLower(c);
        return s;
    };
    std::u16string x = lower(a), y = lower(b);
    return x == y || x.starts_with(y + u"\\") || y.starts_with(x + u"\\");
}

// What one failed call may leave: for a file-system call, its own path with the folders above
// and below it; for a registry, service or process call, only things of that kind.
void expectOnlyWhatTheCallExplains(const std::string& call, const MachineSnapshot& before,
                                   const MachineSnapshot& after,
                                   const std::u16string& filesMayStayBelow = {}) {
    std::string op = call.substr(0, call.find(' '));
    std::size_t arrow = call.find(" -> ");
    // A call with no path ("enablePrivilege") explains nothing of the files.
    std::u16string path = op.size() < call.size()
                              ? utf8ToUtf16(call.substr(op.size() + 1, arrow - op.size() - 1))
                              : std::u16string();
    // Without the common documents folder the data folder stays (the others are below it too).
    if (op == "specialFolder") path = u"C:\\Users";
    // Without COM the desktop shortcut cannot be shown to lead to the product: it stays.
    if (op == "coInitialize") path = u"C:\\Users\\admin\\Desktop";
    // The data folder's marker tells whose the folder is: unread or unjudged, the folder stays
    // whole.
    // The data folder goes as one: a call on anything in it may leave the rest of it.
    const std::u16string data = u"C:\\Users\\Public\\Documents\\Vantrel";
    bool marker = path.ends_with(u"\\ProductIdentity.txt");
    if (related(path, data)) path = data;
    static const std::set<std::string> fileOps = {
        "exists",    "createFolder", "removeFolder",      "deleteFile",     "listFolder",
        "writeFile", "readFile",     "specialFolder",     "listBelow",      "removeBelow",
        "loadLink",  "coInitialize", "createFolderBelow", "writeFileBelow", "readFileBelow"};
    for (const auto& [name, node] : after.files) {
        if (before.files.count(name)) continue;
        if (!filesMayStayBelow.empty() && related(name, filesMayStayBelow)) continue;
        EXPECT_TRUE((fileOps.count(op) || marker) && related(name, path)) << utf16ToUtf8(name);
    }
    bool registryOp = op.find("Key") != std::string::npos ||
                      op.find("Value") != std::string::npos || op == "queryString" ||
                      op == "setString" || op == "setDword";
    if (!registryOp) {
        EXPECT_TRUE(after.registry == before.registry);
    }
    bool serviceOp = op.find("ervice") != std::string::npos || op == "openManager" ||
                     op == "controlStop" || op == "queryState" || op == "queryBinaryPath" ||
                     op == "queryOwner";
    if (!serviceOp) {
        EXPECT_EQ(after.services, before.services);
    }
}

}  // namespace

TEST(WorkerSweep, FailingEachCallOfTheUninstallStopsNothingElse) {
    InstallHarness probe;
    ASSERT_TRUE(probe.install());
    fake::faults().clear();
    ASSERT_TRUE(probe.uninstall());
    int total = fake::faults().calls();
    ASSERT_GT(total, 100);
    RecordProperty("uninstall_calls_failed_in_turn", total);
    for (int n = 1; n <= total; ++n) {
        InstallHarness h;
        MachineSnapshot before = h.machine.snapshot();
        ASSERT_TRUE(h.install());
        MachineSnapshot installed = h.machine.snapshot();
        fake::faults().clear();
        fake::faults().failCallNumber(n);
        bool loaded = h.uninstall();
        std::string call = fake::faults().trace()[std::size_t(n - 1)];
        SCOPED_TRACE("call " + std::to_string(n) + ": " + call);
        // The data folder's marker is the one judgement that proves nothing either way: without
        // it the folder is the log's product's, as it always was.
        bool logJudged = call.starts_with("isWritableOnlyByTrusted") &&
                         call.find("ProductIdentity.txt") == std::string::npos;
        if (!loaded || call.starts_with("startThread") || logJudged ||
            call.starts_with("holdFolderChain")) {
            // Without its log, its thread, or the proof that nobody else wrote the log, nothing
            // is known or done: nothing is touched.
            EXPECT_TRUE(h.machine.snapshot() == installed);
        } else {
            expectOnlyWhatTheCallExplains(call, before, h.machine.snapshot());
        }
        if (HasFailure()) break;
    }
}

// Memory running out while an installation is removed never ends the process: only the change
// being undone stays (as when a file cannot be deleted; the caller finds and reports it) with,
// when that was the folders' turn, the product's folders; every other change goes, or goes with
// a second removal when the log itself stayed.
TEST(WorkerSweep, MemoryRunningOutAtEachCallOfTheUninstallLeavesOnlyWhatItWasUndoing) {
    InstallHarness probe;
    ASSERT_TRUE(probe.install());
    fake::faults().clear();
    ASSERT_TRUE(probe.uninstall());
    int total = fake::faults().calls();
    int thrown = 0;
    for (int n = 1; n <= total; ++n) {
        InstallHarness h;
        MachineSnapshot before = h.machine.snapshot();
        ASSERT_TRUE(h.install());
        fake::faults().clear();
        fake::faults().onCall = [n, &thrown](int call, const std::string& operation) {
            if (call != n || !mayRunOutOfMemory(operation)) return;
            ++thrown;
            throw std::bad_alloc();
        };
        h.uninstall();
        std::string call = fake::faults().trace()[std::size_t(n - 1)];
        SCOPED_TRACE("call " + std::to_string(n) + ": " + call);
        fake::faults().clear();
        if (h.machine.files.hasFile(kLogPath)) {
            EXPECT_TRUE(h.uninstall());
        }
        MachineSnapshot after = h.machine.snapshot();
        expectOnlyWhatTheCallExplains(call, before, after, kProductFolder);
        if (HasFailure()) break;
    }
    EXPECT_GT(thrown, total * 3 / 4);
}

TEST(WorkerUpgrade, TheProductKeyLeadsToThePreviousInstallation) {
    InstallHarness h;
    MachineSnapshot clean = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    MachineSnapshot first = h.machine.snapshot();
    h.window.messages.clear();
    ASSERT_TRUE(h.install());
    ASSERT_GE(h.window.messages.size(), 1u);
    EXPECT_EQ(h.window.messages[0].code, ST_PREVIOUS_VERSION);
    EXPECT_EQ(h.window.messages[0].text, kProductFolder);
    EXPECT_EQ(h.window.count(ST_PREVIOUS_VERSION), 1);  // the folder step finds no log left
    MachineSnapshot second = h.machine.snapshot();
    EXPECT_TRUE(second == first) << describeDifference(first, second);
    ASSERT_TRUE(h.uninstall());
    EXPECT_TRUE(h.machine.snapshot() == clean) << describeDifference(clean, h.machine.snapshot());
}

TEST(WorkerUpgrade, WithoutTheKeyTheFolderLeadsToIt) {
    InstallHarness h;
    MachineSnapshot clean = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    MachineSnapshot first = h.machine.snapshot();
    platform::RegistryKey software;
    ASSERT_TRUE(h.machine.registry.openKey(platform::RegistryRoot::LocalMachine, u"SOFTWARE",
                                           platform::KeyAccess::AllAccess, software));
    ASSERT_TRUE(h.machine.registry.deleteKey(software, u"KorvelServerV5"));
    h.machine.registry.closeKey(software);
    h.window.messages.clear();
    ASSERT_TRUE(h.install());
    EXPECT_EQ(h.window.count(ST_PREVIOUS_VERSION), 1);
    EXPECT_EQ(h.window.messages[0].text, kProductFolder);
    EXPECT_TRUE(h.machine.snapshot() == first) << describeDifference(first, h.machine.snapshot());
    ASSERT_TRUE(h.uninstall());
    EXPECT_TRUE(h.machine.snapshot() == clean) << describeDifference(clean, h.machine.snapshot());
}

// A product with no service: its key names no program, so only its Uninstall entry still knows
// where it went when it is installed again into another folder.
TEST(WorkerUpgrade, WithoutAServiceTheUninstallEntryLeadsToAnInstallationElsewhere) {
    Script s;
    s.text(0, u"Quillon");
    s.text(13, u"Tally");
    s.path(2, u"Uninstall.exe");
    s.path(10, u"Tally.exe");
    s.licence(1, u"Licence.txt");
    Bytes files = fileBlock(u"Tally",
                            {{u"Tally.exe", bytesOf("tally")},
                             {u"Uninstall.exe", bytesOf("uninstaller")},
                             {u"Licence.txt", {0xFF, 0xFE, 'Q', 0}}},
                            {});
    InstallHarness h(withIdentity(package(s, files), identityOf(u"Quillon Tally", u"Quillon")));
    h.machine.files.addFolder(u"D:\\");
    h.machine.files.addFolder(u"D:\\Tools");
    MachineSnapshot clean = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    copyText(h.parameter.installRoot, u"D:\\Tools");
    h.window.messages.clear();
    ASSERT_TRUE(h.install());
    EXPECT_EQ(h.window.count(ST_PREVIOUS_VERSION), 1);
    EXPECT_FALSE(h.machine.files.exists(u"C:\\Program Files\\Quillon\\Tally\\Tally.exe"));
    EXPECT_TRUE(h.machine.files.hasFile(u"D:\\Tools\\Quillon\\Tally\\Tally.exe"));
    ASSERT_TRUE(h.uninstall(u"D:\\Tools\\Quillon\\Tally\\uninstall.log"));
    EXPECT_TRUE(h.machine.snapshot() == clean) << describeDifference(clean, h.machine.snapshot());
}

TEST(WorkerUpgrade, AnOldServiceNamedInTheKeyGoesEvenWithoutALog) {
    InstallHarness h;
    h.machine.services.add(u"LegacyPanelService", platform::kServiceRunning);
    h.machine.registry.addKey(platform::RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5");
    h.machine.registry.putValue(platform::RegistryRoot::LocalMachine, u"SOFTWARE\\KorvelServerV5",
                                u"MainServiceName",
                                fake::FakeRegistry::stringValue(u"LegacyPanelService"));
    h.machine.services.add(u"VantrelScreenService", platform::kServiceRunning);
    ASSERT_TRUE(h.install());
    EXPECT_FALSE(h.machine.services.has(u"LegacyPanelService"));
    EXPECT_FALSE(h.machine.services.has(u"VantrelScreenService"));  // the older service goes too
    EXPECT_EQ(h.window.count(ST_PREVIOUS_VERSION), 0);
}
