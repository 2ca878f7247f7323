#include <gtest/gtest.h>

#include "engine/LogIdentity.h"

#include "engine/PanelConfig.h"
#include "tests/support/InstallHarness.h"

using namespace testpkg;

namespace {

std::u16string at(const std::u16string& rel) {
    return kProductFolder + u"\\" + rel;
}

std::vector<std::u16string> commandLines(fake::FakeProcesses& processes) {
    std::vector<std::u16string> out;
    for (const auto* p : processes.all()) out.push_back(p->commandLine);
    return out;
}

std::u16string quoted(const std::u16string& path, const std::u16string& args = u"") {
    return u"\"" + path + u"\"" + (args.empty() ? u"" : u" " + args);
}

}  // namespace

TEST(InstallWorker, AFreshInstallationSendsItsMessagesInOrder) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    const auto& m = h.window.messages;
    ASSERT_EQ(m.size(), 52u + 2 + 1 + 1 + 1 + 1);
    std::size_t i = 0;
    for (FileNode* f = h.package.tree().allFiles; f; f = f->nextInAll, ++i) {
        TextBuffer path;
        ASSERT_TRUE(targetPathOf(*f, path));
        EXPECT_EQ(m[i].code, ST_COPYING_FILE);
        EXPECT_EQ(m[i].text, viewOf(path));
    }
    EXPECT_EQ(m[0].text, at(u"driver\\USB\\V6PDrv\\i386\\devcon.exe"));
    EXPECT_EQ(m[52].code, ST_INSTALLING_DRIVER);
    EXPECT_EQ(m[52].text, at(u"driver\\InstallHIDDriverX64.bat"));
    EXPECT_EQ(m[53].text, at(u"driver\\InstallUsbDriverX64.bat"));
    EXPECT_EQ(m[54].code, ST_INSTALLING_SERVICE);
    EXPECT_EQ(m[54].text, at(u"VantrelService.exe"));
    EXPECT_EQ(m[55].code, ST_STARTING_SERVICE);
    EXPECT_EQ(m[55].text, u"VantrelService");
    EXPECT_EQ(m[56].code, ST_COMPLETE);
    EXPECT_FALSE(m[56].hasText);
    EXPECT_EQ(m[57].code, ST_WORKER_DONE);
    // The pauses a reader needs: 50 ms a file, 1 s after each old driver's removal, 50 ms for
    // the service, 500 ms to start it, 3 s on completion and 500 ms for the launched program.
    EXPECT_EQ(h.machine.clock.slept(), 52u * 50 + 2 * 1000 + 50 + 500 + 3000 + 500);
}

TEST(InstallWorker, TheSavedLogRecordsEveryChangeInOrder) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    // First the product the log belongs to and for whom it was installed, then every change.
    std::vector<int> expected{LOG_PRODUCT_IDENTITY, LOG_INSTALL_SCOPE};
    expected.insert(expected.end(), 52, LOG_FILE);
    for (int t :
         {LOG_REGISTRY_KEY, LOG_DRIVER_SCRIPT, LOG_DRIVER_SCRIPT, LOG_SERVICE, LOG_FOLDER,
          LOG_FOLDER, LOG_START_MENU_SHORTCUT, LOG_START_MENU_SHORTCUT, LOG_DESKTOP_SHORTCUT,
          LOG_UNINSTALL_ENTRY, LOG_RUN_ENTRY, LOG_SERVICE_STARTED, LOG_FILE}) {
        expected.push_back(t);
    }
    EXPECT_EQ(h.savedLogTypes(), expected);

    UninstallLog log;
    ASSERT_TRUE(loadLog(log, kLogPath.c_str()));
    EXPECT_EQ(viewOf(log.root), u"C:\\Program Files");
    EXPECT_EQ(viewOf(log.company), u"Brenmark");
    EXPECT_EQ(viewOf(log.product), u"KorvelServerV6");
    std::vector<std::u16string> texts;
    for (LogRecord* r = log.first; r; r = r->next) {
        TextBuffer t;
        texts.push_back(r->type == LOG_REGISTRY_KEY ? u"key"
                        : recordText(*r, t)         ? std::u16string(viewOf(t))
                                                    : u"?");
    }
    const std::u16string menu = u"C:\\Users\\admin\\Start Menu\\Programs\\Brenmark";
    EXPECT_EQ(texts[1], u"per-user PC\\admin");
    EXPECT_EQ(texts[55], at(u"driver\\UninstallHIDDriverX64.bat"));
    EXPECT_EQ(texts[56], at(u"driver\\UninstallUsbDriverx64.bat"));
    EXPECT_EQ(texts[57], at(u"VantrelService.exe"));
    EXPECT_EQ(texts[58], menu);
    EXPECT_EQ(texts[59], menu + u"\\KorvelServerV6");
    EXPECT_EQ(texts[60], menu + u"\\KorvelServerV6\\Uninstall");
    EXPECT_EQ(texts[61], menu + u"\\KorvelServerV6\\KorvelPanel");
    EXPECT_EQ(texts[62], u"C:\\Users\\admin\\Desktop\\KorvelPanel");
    // The entry is named after the product's identity, not its display name.
    EXPECT_EQ(texts[63], u"KorvelServerV5");
    EXPECT_EQ(texts[64], quoted(at(u"KorvelPanel.exe"), u"-h"));
    EXPECT_EQ(texts[65], u"VantrelService");
    EXPECT_EQ(texts[66], kLogPath);
    ProductIdentity identity;
    ASSERT_TRUE(identityOfLog(log, identity));
    EXPECT_EQ(viewOf(identity.settingsKey), u"KorvelServerV5");
    EXPECT_EQ(viewOf(identity.dataFolder), u"Vantrel");
}

TEST(InstallWorker, TheMachineHoldsEverythingTheScriptAsksFor) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    auto& m = h.machine;
    EXPECT_TRUE(m.files.hasFile(at(u"driver\\HID\\amd64\\hidkmdf.sys")));
    EXPECT_EQ(m.files.contents(at(u"License.txt"))[0], 0xFF);

    using platform::RegistryRoot;
    auto text = [](std::u16string_view s) { return fake::FakeRegistry::stringValue(s); };
    const std::u16string productKey = u"SOFTWARE\\KorvelServerV5";
    EXPECT_EQ(m.registry.value(RegistryRoot::LocalMachine, productKey, u"Company"),
              text(u"Brenmark"));
    EXPECT_EQ(m.registry.value(RegistryRoot::LocalMachine, productKey, u"MainAppPath"),
              text(at(u"VantrelService.exe")));
    EXPECT_EQ(m.registry.value(RegistryRoot::LocalMachine, productKey, u"LanguageID"),
              fake::FakeRegistry::dwordValue(1033));
    EXPECT_EQ(m.registry.value(RegistryRoot::LocalMachine, productKey, u"MainServiceName"),
              text(u"VantrelService"));
    const std::u16string uninstall =
        u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KorvelServerV5";
    EXPECT_EQ(m.registry.value(RegistryRoot::LocalMachine, uninstall, u"UninstallString"),
              text(quoted(at(u"Uninstall.exe"), u"")));
    EXPECT_EQ(
        m.registry.value(RegistryRoot::CurrentUser,
                         u"Software\\Microsoft\\Windows\\CurrentVersion\\Run", u"KorvelPanel"),
        text(quoted(at(u"KorvelPanel.exe"), u"-h")));

    auto* service = m.services.find(u"VantrelService");
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->binaryPath, quoted(at(u"VantrelService.exe")));
    EXPECT_EQ(service->description, u"Servicing interface for Brenmark Korvel Multitouch Device");
    EXPECT_EQ(service->state, platform::kServiceRunning);

    EXPECT_TRUE(m.files.hasFile(u"C:\\Users\\admin\\Desktop\\KorvelPanel.lnk"));
    EXPECT_TRUE(m.files.hasFile(
        u"C:\\Users\\admin\\Start Menu\\Programs\\Brenmark\\KorvelServerV6\\Uninstall.lnk"));
    std::string panel =
        "<Lang Id=\"0x0409\" />\r\n<IPEndpoint IP=\"127.0.0.1\" Port=\"6550\" />\r\n";
    EXPECT_EQ(m.files.contents(u"C:\\Users\\Public\\Documents\\Vantrel\\PanelConfig.ini"),
              std::vector<std::uint8_t>(panel.begin(), panel.end()));

    // Old driver removed before the new one goes in, HID first; the panel launched last,
    // every program path in quotes and started in its own folder.
    EXPECT_EQ(commandLines(m.processes),
              (std::vector<std::u16string>{quoted(at(u"driver\\UninstallHIDDriverX64.bat")),
                                           quoted(at(u"driver\\InstallHIDDriverX64.bat")),
                                           quoted(at(u"driver\\UninstallUsbDriverx64.bat")),
                                           quoted(at(u"driver\\InstallUsbDriverX64.bat")),
                                           quoted(at(u"KorvelPanel.exe"))}));
    EXPECT_EQ(m.processes.all().back()->workingFolder, kProductFolder);
}

TEST(InstallWorker, QuietAndWindowlessRunsSendOnlyWhatTheyMust) {
    InstallHarness quiet;
    quiet.parameter.quiet = 1;
    quiet.parameter.showPanel = 0;
    ASSERT_TRUE(quiet.install());
    EXPECT_EQ(quiet.window.codes(), std::vector<std::uint32_t>{ST_WORKER_DONE});
    EXPECT_EQ(quiet.machine.clock.slept(), 0u);
    EXPECT_EQ(quiet.machine.processes.all().back()->commandLine,
              quoted(at(u"KorvelPanel.exe"), u"-h"));

    InstallHarness none;
    none.parameter.window = nullptr;
    ASSERT_TRUE(none.install());
    EXPECT_TRUE(none.window.messages.empty());
    // Pauses tied to no message still follow `quiet`: the old drivers' and the launch.
    EXPECT_EQ(none.machine.clock.slept(), 2u * 1000 + 500);
}

TEST(InstallWorker, DriverScriptsFollowTheProcessorAndTheHidCount) {
    for (std::uint16_t arch : {0, 6, 12}) {  // x86, IA-64, ARM64: all take the x86 scripts
        InstallHarness h;
        h.machine.system.architecture = arch;
        ASSERT_TRUE(h.install());
        EXPECT_EQ(commandLines(h.machine.processes)[1],
                  quoted(at(u"driver\\InstallHIDDriverX86.bat")));
    }
    fake::FakeProcesses::Behaviour hangs;
    hangs.runsForMs = fake::FakeProcesses::kHangs;
    for (int hid : {-2, 0, 3}) {
        InstallHarness h;
        h.parameter.hidRunCount = hid;
        h.machine.processes.program(at(u"driver\\InstallHIDDriverX64.bat"), hangs);
        ASSERT_TRUE(h.install());
        int runs = 0;
        for (const auto& c : commandLines(h.machine.processes)) {
            runs += c == quoted(at(u"driver\\InstallHIDDriverX64.bat"));
        }
        EXPECT_EQ(runs, hid > 0 ? hid : 1);
        // Every run hung and was ended: the HID set is not logged, the USB set is.
        auto types = h.savedLogTypes();
        EXPECT_EQ(std::count(types.begin(), types.end(), LOG_DRIVER_SCRIPT), 1);
    }
}

TEST(InstallWorker, AFileThatCannotBeCreatedRollsEverythingBack) {
    InstallHarness h;
    MachineSnapshot before = h.machine.snapshot();
    fake::faults().failOperation("writeFile", 10);
    EXPECT_FALSE(h.install());
    EXPECT_EQ(h.machine.snapshot(), before) << describeDifference(before, h.machine.snapshot());
    auto codes = h.window.codes();
    ASSERT_GE(codes.size(), 12u);
    EXPECT_EQ(codes[9], ST_COPYING_FILE);
    EXPECT_EQ(codes[10], ST_FILE_ERROR);
    EXPECT_EQ(h.window.messages[10].text, h.window.messages[9].text);
    EXPECT_EQ(h.window.count(ST_DELETING_FILE), 9);
    EXPECT_EQ(codes[codes.size() - 2], ST_CANCELLED);
    EXPECT_EQ(codes.back(), ST_WORKER_DONE);
    EXPECT_FALSE(h.machine.files.hasFile(kLogPath));
}

TEST(InstallWorker, MemoryRunningOutMidwayRollsBackAndSaysSo) {
    InstallHarness h;
    MachineSnapshot before = h.machine.snapshot();
    int writes = 0;
    fake::faults().onCall = [&writes](int, const std::string& operation) {
        if (operation == "writeFile" && ++writes == 10) throw std::bad_alloc();
    };
    EXPECT_FALSE(h.install());
    fake::faults().onCall = nullptr;
    EXPECT_EQ(h.machine.snapshot(), before) << describeDifference(before, h.machine.snapshot());
    EXPECT_EQ(h.window.count(ST_FILE_ERROR), 1);
    EXPECT_EQ(h.window.count(ST_DELETING_FILE), 9);
    EXPECT_EQ(h.window.codes().back(), ST_WORKER_DONE);
    EXPECT_FALSE(h.package.config.completed);
}

TEST(InstallWorker, AShortWriteIsAFailedFile) {
    InstallHarness h;
    MachineSnapshot before = h.machine.snapshot();
    h.machine.files.makeWritesShort(at(u"VantrelService.exe"));
    EXPECT_FALSE(h.install());
    EXPECT_EQ(h.window.count(ST_FILE_ERROR), 1);
    EXPECT_EQ(h.machine.snapshot(), before) << describeDifference(before, h.machine.snapshot());
}

TEST(InstallWorker, AServiceThatCannotBeCreatedUndoesDriversToo) {
    InstallHarness h;
    MachineSnapshot before = h.machine.snapshot();
    fake::faults().failOperation("createService");
    EXPECT_FALSE(h.install());
    EXPECT_EQ(h.window.count(ST_SERVICE_ERROR), 1);
    EXPECT_EQ(h.window.count(ST_UNINSTALLING_DRIVER), 2);
    // The rollback runs the drivers' uninstall scripts, USB (logged last) first.
    auto lines = commandLines(h.machine.processes);
    EXPECT_EQ(lines[lines.size() - 2], quoted(at(u"driver\\UninstallUsbDriverx64.bat")));
    EXPECT_EQ(lines.back(), quoted(at(u"driver\\UninstallHIDDriverX64.bat")));
    EXPECT_EQ(h.machine.snapshot(), before) << describeDifference(before, h.machine.snapshot());
}

TEST(InstallWorker, ACancelDuringTheCopyStillWritesAndRemovesKeyAndMenuFolders) {
    InstallHarness h;
    MachineSnapshot before = h.machine.snapshot();
    h.window.onMessage = [&](const StatusRecorder::Message& m) {
        if (m.code == ST_COPYING_FILE && h.window.count(ST_COPYING_FILE) == 5)
            h.package.config.running = false;
    };
    EXPECT_FALSE(h.install());
    EXPECT_EQ(h.window.count(ST_COPYING_FILE), 5);
    EXPECT_EQ(h.window.count(ST_DELETING_FILE), 5);
    // Step 8 and the folder part of step 13 ran regardless; the rollback removed them.
    const auto& trace = fake::faults().trace();
    EXPECT_NE(
        std::find_if(
            trace.begin(), trace.end(),
            [](const std::string& t) {
                return t.find("createFolder C:\\Users\\admin\\Start Menu\\Programs\\Brenmark") == 0;
            }),
        trace.end());
    EXPECT_EQ(h.machine.snapshot(), before) << describeDifference(before, h.machine.snapshot());
}

TEST(InstallWorker, ACancelAfterTheDecisionChangesNothing) {
    InstallHarness h;
    h.window.onMessage = [&](const StatusRecorder::Message& m) {
        if (m.code == ST_STARTING_SERVICE) h.package.config.running = false;
    };
    h.install();
    EXPECT_EQ(h.window.count(ST_COMPLETE), 1);
    EXPECT_TRUE(h.machine.files.hasFile(kLogPath));
}

TEST(InstallWorker, PathsThatDoNotFitAreRefusedAndNothingIsWrittenElsewhere) {
    InstallHarness h;
    std::u16string deep = u"C:\\" + std::u16string(230, u'd');
    h.machine.files.addFolder(deep);
    copyText(h.parameter.installRoot, deep);
    MachineSnapshot before = h.machine.snapshot();
    EXPECT_FALSE(h.install());
    EXPECT_EQ(h.window.count(ST_FILE_ERROR), 1);
    EXPECT_EQ(h.window.count(ST_COPYING_FILE), 0);
    EXPECT_EQ(h.machine.snapshot(), before) << describeDifference(before, h.machine.snapshot());
}

TEST(InstallWorker, StartingClosesAHeldHandleAndSurvivesAFailedThread) {
    InstallHarness h;
    fake::faults().failOperation("startThread");
    EXPECT_TRUE(startInstallWorker(h.package.config, h.parameter));
    EXPECT_EQ(h.package.config.workerThread, nullptr);
    EXPECT_TRUE(h.window.messages.empty());
    EXPECT_TRUE(h.package.config.running);
}

TEST(InstallWorker, ARejectedPackageInstallsNothingAndSaysSo) {
    InstallHarness h;
    std::vector<std::uint8_t> damaged = shippedPackage();
    damaged[0] ^= 1;
    ASSERT_FALSE(h.package.load(damaged));
    MachineSnapshot before = h.machine.snapshot();
    EXPECT_FALSE(h.install());
    EXPECT_EQ(h.window.codes(), (std::vector<std::uint32_t>{ST_FILE_ERROR, ST_WORKER_DONE}));
    EXPECT_TRUE(h.machine.snapshot() == before);
}

TEST(InstallWorker, ContainsHidFoldsOnlyAsciiLetters) {
    EXPECT_TRUE(containsHid(u"InstallHIDDriverX64.bat"));
    EXPECT_TRUE(containsHid(u"xhidy"));
    EXPECT_FALSE(containsHid(u"InstallUsbDriver.bat"));
    EXPECT_FALSE(containsHid(u"H\u0130D"));
}

// The package's root folder is named one thing and its Product another: the files go into the
// product folder, and so must the log, or no later installation could ever remove them.
TEST(InstallWorker, APackageWhoseRootIsNamedOtherwiseStillLeavesALogThatUndoesIt) {
    std::vector<std::uint8_t> blob = package(shippedScript(), [] {
        Bytes block = shippedFileBlock();
        // Same length as "KorvelServerV6", so the offsets in the block stay right.
        std::u16string other = u"OtherRootName1";
        for (std::size_t i = 0; i < other.size(); ++i) {
            block.v[12 + 2 * i] = std::uint8_t(other[i]);
            block.v[13 + 2 * i] = 0;
        }
        return block;
    }());
    InstallHarness h(blob);
    ASSERT_EQ(viewOf(h.package.tree().name), u"OtherRootName1");
    MachineSnapshot clean = h.machine.snapshot();
    ASSERT_TRUE(h.install());
    EXPECT_TRUE(h.machine.files.hasFile(at(u"VantrelService.exe")));
    EXPECT_FALSE(h.machine.files.hasFolder(u"C:\\Program Files\\Brenmark\\OtherRootName1"));
    ASSERT_TRUE(h.machine.files.hasFile(kLogPath));
    ASSERT_TRUE(h.uninstall());
    EXPECT_TRUE(h.machine.snapshot() == clean) << describeDifference(clean, h.machine.snapshot());

    // And the next installation of the same package finds it by the folder it uses.
    ASSERT_TRUE(h.install());
    h.window.messages.clear();
    ASSERT_TRUE(h.install());
    EXPECT_EQ(h.window.count(ST_PREVIOUS_VERSION), 1);
}

TEST(InstallWorker, AStartWhileAWorkerRunsIsRefusedAndTheFirstRunsToItsEnd) {
    InstallHarness h;
    std::vector<bool> secondStarts;
    h.window.onMessage = [&](const StatusRecorder::Message&) {
        // The window would start again here (a device notice, say) while the worker waits.
        if (secondStarts.empty()) {
            secondStarts.push_back(startInstallWorker(h.package.config, h.parameter));
        }
    };
    EXPECT_TRUE(h.install());
    EXPECT_EQ(secondStarts, (std::vector<bool>{false}));
    EXPECT_EQ(h.window.count(ST_WORKER_DONE), 1);
    // Once it ended, a new start is allowed again.
    h.window.onMessage = nullptr;
    EXPECT_TRUE(h.install());
    EXPECT_EQ(h.window.count(ST_WORKER_DONE), 2);
}

// An earlier installation that cannot be removed completely: nothing is installed over it.

TEST(InstallWorker, APreviousVersionLeftBehindStopsTheInstallationAndNamesWhatStayed) {
    InstallHarness h;
    ASSERT_TRUE(h.install());
    const std::u16string held = kProductFolder + u"\\KorvelPanel.exe";
    h.machine.files.inUse = [&](const std::u16string& path) { return path == held; };
    h.window.messages.clear();
    MachineSnapshot removedButOne;
    h.window.onMessage = [&](const StatusRecorder::Message& m) {
        if (m.code == ST_PREVIOUS_VERSION_LEFT) removedButOne = h.machine.snapshot();
    };
    EXPECT_FALSE(h.install());
    ASSERT_EQ(h.window.count(ST_PREVIOUS_VERSION_LEFT), 1);
    const auto& last = h.window.messages[h.window.messages.size() - 2];
    EXPECT_EQ(last.code, ST_PREVIOUS_VERSION_LEFT);
    EXPECT_TRUE(last.text == held);
    EXPECT_EQ(h.window.messages.back().code, ST_WORKER_DONE);
    EXPECT_EQ(h.window.count(ST_COPYING_FILE), 0);
    // Nothing of the new installation was made: the machine is as the removal left it.
    EXPECT_TRUE(h.machine.files.hasFile(held));
    EXPECT_FALSE(h.machine.files.hasFile(kLogPath));
    EXPECT_TRUE(h.machine.snapshot() == removedButOne);
}
