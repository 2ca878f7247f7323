// The wizard's page flow on the fake machine, tick by tick: the interactive road from the
// language page to the closed window, the device arriving early, late or during a fade, cancels
// at many points of the installation, every start-up decision of a settings file, and the
// process's exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "engine/StatusCode.h"
#include "run/DeviceWait.h"
#include "run/RunEnd.h"
#include "run/RunStart.h"
#include "run/WorkerLife.h"
#include "startup/Settings.h"
#include "startup/StartupSequence.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"
#include "tests/support/WizardMachine.h"
#include "wizard/Animation.h"
#include "wizard/PointerInput.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"
#include "wizard/WizardTrace.h"

using namespace testpkg;

namespace {

constexpr int kEnglishX = 250, kFlagY = 338;  // inside the English flag
constexpr int kAgreeX = 400, kButtonY = 355;  // inside Agree
constexpr int kCloseX = 520, kCloseY = 15;    // inside the close button

bool shows(const WizardMachine& w, std::u16string_view text) {
    const auto& lines = w.statusLines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::u16string& l) { return l.find(text) != l.npos; });
}

// From the start to the licence page, fully shown, in English.
void toLicencePage(WizardMachine& w) {
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    w.click(kEnglishX, kFlagY);
    ASSERT_TRUE(w.tickUntil([] { return wizardState.pageAlpha[LicencePage] == 255; }));
}

struct PageFlow : testing::Test {
    WizardMachine w;
    MachineSnapshot before;
    void SetUp() override { before = w.machine.snapshot(); }
    void expectMachineUntouched() {
        MachineSnapshot after = w.machine.snapshot();
        // The settings file may have been completed; everything else is as it was.
        after.files.erase(kScriptIni);
        MachineSnapshot was = before;
        was.files.erase(kScriptIni);
        EXPECT_TRUE(after == was) << describeDifference(was, after);
    }
};

}  // namespace

TEST_F(PageFlow, TheInteractiveRoadEndsInAnInstalledProductAndExitStatusZero) {
    w.start();
    EXPECT_TRUE(w.host.visible);
    EXPECT_EQ(w.host.calls.front(), "start 1 33");
    // The window fades in over 12 ticks; a flag clicked before that does nothing.
    for (int i = 0; i < 11; ++i) w.tick();
    EXPECT_FALSE(wizardState.inputEnabled);
    w.click(kEnglishX, kFlagY);
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
    w.tick();
    EXPECT_EQ(wizardState.windowAlpha, 255);
    EXPECT_TRUE(wizardState.inputEnabled);

    w.click(kEnglishX, kFlagY);
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    EXPECT_FALSE(wizardState.inputEnabled);
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    EXPECT_EQ(wizardWidgets.licenceView.paragraphs.size(), 1u);
    for (int i = 0; i < 17; ++i) w.tick();  // a cross-fade is 17 steps of 15
    EXPECT_EQ(wizardState.pageAlpha[LicencePage], 255);
    EXPECT_EQ(wizardState.pageAlpha[LanguagePage], 0);
    EXPECT_TRUE(wizardWidgets.licenceView.scrolling);

    w.click(kAgreeX, kButtonY);
    ASSERT_TRUE(w.tickUntil([] { return wizardState.pageAlpha[DevicePage] == 255; }));
    EXPECT_EQ(wizardState.currentPage, DevicePage);  // no device yet: the page waits
    for (int i = 0; i < 30; ++i) w.tick();
    EXPECT_EQ(wizardState.currentPage, DevicePage);

    w.plugTouchDevice();
    onDeviceChange(0x0007, nullptr, 0);
    EXPECT_EQ(wizardState.currentPage, ProgressPage);
    EXPECT_TRUE(shows(w, u"Copying file \r\nC:\\Program Files\\Brenmark\\KorvelServerV6\\"));
    EXPECT_TRUE(wizardWidgets.statusLabel.text == u"Installation Complete!");
    EXPECT_EQ(wizardState.fadeMode, FadeOutClose);

    w.runUntilClosed();
    EXPECT_TRUE(w.closed());
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
    EXPECT_FALSE(w.host.visible);
    EXPECT_TRUE(w.machine.files.hasFile(kLogPath));
    EXPECT_TRUE(w.host.timers.empty());
    EXPECT_FALSE(windowSurface.open);
}

TEST_F(PageFlow, ADevicePresentOnArrivalStartsInTheTickThatCompletesTheFade) {
    toLicencePage(w);
    w.plugTouchDevice();
    w.click(kAgreeX, kButtonY);
    int ticks = 0;
    while (wizardState.currentPage == DevicePage && ticks < 40) {
        w.tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 17);
    EXPECT_EQ(wizardState.pageAlpha[DevicePage], 255);
    EXPECT_EQ(wizardState.currentPage, ProgressPage);
    // The progress page started fading in within the same tick.
    EXPECT_EQ(wizardState.pageAlpha[ProgressPage], 15);
    EXPECT_TRUE(wizardWidgets.progressSlideshow.running);
}

TEST_F(PageFlow, DeviceMessagesOnOtherPagesOrDuringTheFadeStartNothing) {
    w.start();
    w.plugTouchDevice();
    onDeviceChange(0x0007, nullptr, 0);  // language page
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
    toLicencePage(w);
    onDeviceChange(0x0007, nullptr, 0);
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    w.unplug();
    w.click(kAgreeX, kButtonY);
    w.tick();
    w.plugTouchDevice();
    onDeviceChange(0x0007, nullptr, 0);  // during the fade-in: ignored ...
    EXPECT_EQ(wizardState.currentPage, DevicePage);
    EXPECT_TRUE(w.window.codes.empty());
    // ... and caught by the count at the end of the fade.
    ASSERT_TRUE(w.tickUntil([] { return wizardState.currentPage == ProgressPage; }));
    EXPECT_EQ(wizardState.pageAlpha[DevicePage], 255);
}

TEST_F(PageFlow, RemovalNoticesAndUnknownArrivalsNeverChangeThePage) {
    toLicencePage(w);
    w.click(kAgreeX, kButtonY);
    ASSERT_TRUE(w.tickUntil([] { return wizardState.pageAlpha[DevicePage] == 255; }));
    w.plugTouchDevice();
    onDeviceChange(0x8004, nullptr, 0);  // DBT_DEVICEREMOVECOMPLETE
    onDeviceChange(0x8000, nullptr, 0);  // an arrival without a device-interface name
    EXPECT_EQ(wizardState.currentPage, DevicePage);
}

TEST_F(PageFlow, ClosingBeforeAnyInstallationExitsWithTwo) {
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    w.click(kCloseX, kCloseY);
    EXPECT_EQ(wizardState.fadeMode, FadeOutClose);
    EXPECT_FALSE(wizardState.inputEnabled);
    EXPECT_EQ(wizardWidgets.closeButton.state, ButtonState::Normal);
    EXPECT_EQ(w.runUntilClosed(), 13);  // 12 steps down to 15, then hidden and closed
    EXPECT_EQ(w.exitStatus(), kExitNotStarted);
    EXPECT_EQ(w.host.closesPosted, 1);
    expectMachineUntouched();
}

TEST_F(PageFlow, DisagreeClosesTheWindow) {
    toLicencePage(w);
    w.click(490, kButtonY);
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitNotStarted);
}

TEST_F(PageFlow, APressThatIsReleasedOutsideTheButtonFiresNothing) {
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    onMouseDown(kEnglishX, kFlagY);
    EXPECT_EQ(wizardWidgets.languageButtons[1].state, ButtonState::Pressed);
    EXPECT_FALSE(wizardState.dragging);
    onMouseUp(kEnglishX + 100, kFlagY);
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
    EXPECT_EQ(wizardWidgets.languageButtons[1].state, ButtonState::Normal);
    // The release on the button's left edge is not inside it either.
    onMouseDown(230, kFlagY);
    onMouseUp(230, kFlagY);
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
    EXPECT_EQ(w.host.count("capture"), 2);
    EXPECT_EQ(w.host.count("releaseCapture"), 2);
}

TEST_F(PageFlow, APressOutsideEveryButtonDragsTheWindowWithTheCursor) {
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    platform::Point start = windowSurface.windowPos;
    onMouseDown(100, 100);
    EXPECT_TRUE(wizardState.dragging);
    w.drawing.clear();
    w.host.cursorX = 700;
    w.host.cursorY = 400;
    onMouseMove(300, 300);
    EXPECT_EQ(windowSurface.windowPos, (platform::Point{600, 300}));
    ASSERT_EQ(w.drawing.count(fake::DrawOp::Push), 1);  // the same canvas, moved
    EXPECT_EQ(w.drawing.count(fake::DrawOp::Copy), 0);
    onMouseUp(300, 300);
    EXPECT_FALSE(wizardState.dragging);
    EXPECT_NE(windowSurface.windowPos, start);
}

TEST_F(PageFlow, HoveringMovesTheHoverFromButtonToButton) {
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    onMouseMove(kEnglishX, kFlagY);
    EXPECT_EQ(wizardWidgets.languageButtons[1].state, ButtonState::Hover);
    onMouseMove(320, kFlagY);
    EXPECT_EQ(wizardWidgets.languageButtons[1].state, ButtonState::Normal);
    EXPECT_EQ(wizardWidgets.languageButtons[2].state, ButtonState::Hover);
}

namespace {

struct CancelOutcome {
    bool finished = false;
    int exitStatus = -1;
    bool cancelledShown = false;
};

// The interactive road with the close button clicked right after the worker's message number
// `k` was shown.
CancelOutcome cancelAfterMessage(WizardMachine& w, std::size_t k, const MachineSnapshot& before) {
    toLicencePage(w);
    w.plugTouchDevice();
    w.window.afterMessage = [&w, k](std::uint32_t) {
        if (w.window.codes.size() == k) {
            onMouseDown(kCloseX, kCloseY);
            onMouseUp(kCloseX, kCloseY);
        }
    };
    w.click(kAgreeX, kButtonY);
    w.runUntilClosed();
    CancelOutcome out;
    out.exitStatus = w.exitStatus();
    out.finished = out.exitStatus == kExitInstalled;
    out.cancelledShown = shows(w, u"Installation Cancelled!");
    if (out.finished) {
        EXPECT_TRUE(runUninstallJob(kLogPath)) << k;
    }
    MachineSnapshot after = w.machine.snapshot();
    EXPECT_TRUE(after == before) << "cancel after message " << k << "\n"
                                 << describeDifference(before, after);
    return out;
}

}  // namespace

TEST(PageFlowCancel, ClosingDuringTheInstallationRollsBackAtEveryPoint) {
    std::size_t total = 0;
    {
        WizardMachine w;
        toLicencePage(w);
        w.plugTouchDevice();
        w.click(kAgreeX, kButtonY);
        w.runUntilClosed();
        total = w.window.codes.size();
    }
    ASSERT_GT(total, 52u);
    int rolledBack = 0;
    for (std::size_t k = 1; k <= total; k += 3) {
        WizardMachine w;
        MachineSnapshot before = w.machine.snapshot();
        CancelOutcome out = cancelAfterMessage(w, k, before);
        if (!out.finished) {
            ++rolledBack;
            EXPECT_EQ(out.exitStatus, kExitRolledBack) << k;
            EXPECT_TRUE(out.cancelledShown) << k;
            // Only one cancel: the buttons stay disabled after the press.
            EXPECT_FALSE(wizardState.inputEnabled);
        }
        if (testing::Test::HasFailure()) return;
    }
    EXPECT_GT(rolledBack, 15);
}

TEST_F(PageFlow, AFileThatCannotBeCreatedShowsTheErrorBoxAndRollsBack) {
    toLicencePage(w);
    // A folder in the way of a file (with something in it, so the rollback keeps it).
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark");
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe");
    w.machine.files.addFile(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe\\x");
    before = w.machine.snapshot();
    // The worker, released from its send, waits for the box's OK: it is answered once, after it.
    w.host.senderIsAnotherThread = true;
    int answeredDuringTheBox = -1;
    w.host.onMessageBox = [&](const fake::FakeWindowHost::Box&) {
        answeredDuringTheBox = w.host.sendersAnswered;
    };
    w.plugTouchDevice();
    w.click(kAgreeX, kButtonY);
    w.runUntilClosed();
    EXPECT_EQ(answeredDuringTheBox, 0);
    EXPECT_EQ(w.host.sendersAnswered, 1);
    ASSERT_EQ(w.host.boxes.size(), 1u);
    EXPECT_TRUE(w.host.boxes[0].caption == u"Error creating files!");
    EXPECT_TRUE(w.host.boxes[0].text ==
                u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe");
    EXPECT_TRUE(shows(w, u"Installation Cancelled!"));
    EXPECT_EQ(w.exitStatus(), kExitRolledBack);
    expectMachineUntouched();
}

// Settings files and the start-up decision.

TEST_F(PageFlow, SettingsWithoutTheLicenceOpenOnTheLicencePageInTheirLanguage) {
    w.settingsFile(R"(<Unattended Lang="Deutsch" EndUserLicense="Disagree" ShowPanel="No" )"
                   R"(HID="1" Path="D:\Tools"/>)");
    w.start();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    EXPECT_EQ(wizardState.pageAlpha[LicencePage], 255);
    EXPECT_EQ(wizardState.pageAlpha[LanguagePage], 0);
    EXPECT_TRUE(w.host.visible);
    EXPECT_TRUE(wizardWidgets.licenceView.scrolling);
    EXPECT_TRUE(wizardWidgets.agreeButton.text == u"Stimme zu");
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"D:\\Tools\\Brenmark\\KorvelServerV6");
    EXPECT_EQ(workerParameter.language, 1031u);
}

TEST_F(PageFlow, SettingsWithTheLicenceAndNoDeviceWaitOnTheDevicePage) {
    w.settingsFile(R"(<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="Yes" )"
                   R"(HID="3" Path="C:\Program Files"/>)");
    w.start();
    EXPECT_EQ(wizardState.currentPage, DevicePage);
    EXPECT_EQ(wizardState.pageAlpha[DevicePage], 255);
    EXPECT_TRUE(w.host.visible);
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    w.plugTouchDevice();
    onDeviceChange(0x0007, nullptr, 0);
    // Unattended: the page stays, the window fades away and the worker runs quietly.
    EXPECT_EQ(wizardState.currentPage, DevicePage);
    EXPECT_EQ(workerParameter.quiet, 1);
    EXPECT_EQ(workerParameter.showPanel, 1);
    EXPECT_EQ(workerParameter.hidRunCount, 3);
    EXPECT_EQ(w.window.codes, (std::vector<std::uint32_t>{ST_WORKER_DONE}));
    w.runUntilClosed();
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
}

TEST_F(PageFlow, SettingsWithTheLicenceAndTheDeviceInstallWithoutEverShowingTheWindow) {
    w.settingsFile(R"(<Unattended Lang="Korean" EndUserLicense="Agree" ShowPanel="No" )"
                   R"(HID="1" Path="C:\Program Files"/>)");
    w.plugTouchDevice();
    w.start();
    EXPECT_EQ(w.host.count("show"), 0);
    EXPECT_EQ(w.window.codes, (std::vector<std::uint32_t>{ST_WORKER_DONE}));
    EXPECT_EQ(wizardState.fadeMode, FadeOutClose);
    EXPECT_EQ(wizardState.windowAlpha, 15);
    // The hidden window closes with the end message, without waiting for a tick, and no
    // timer was ever started for it.
    EXPECT_EQ(w.host.closesPosted, 1);
    EXPECT_EQ(w.runUntilClosed(), 0);
    EXPECT_EQ(w.host.count("start 1 33"), 0);
    EXPECT_EQ(w.host.count("show"), 0);
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
    EXPECT_TRUE(w.machine.files.hasFile(kLogPath));
    EXPECT_EQ(workerParameter.language, 1042u);
    // A window never shown: no canvas was made, no picture decoded, no text measured, nothing
    // drawn or pushed, from the start to the close.
    EXPECT_EQ(w.drawing.ops.size(), 0u) << w.drawing.lines().front();
    EXPECT_TRUE(w.pictures.decodedSizes().empty());
}

TEST_F(PageFlow, AWindowShownLaterHasTheGraphicsAQuietStartWouldHaveMade) {
    // The licence agreed but no device: the device page shows after the language's package,
    // licence and pictures were prepared without graphics.
    w.settingsFile(R"(<Unattended Lang="German" EndUserLicense="Agree" ShowPanel="No" )"
                   R"(HID="1" Path="C:\Program Files"/>)");
    w.start();
    EXPECT_EQ(w.host.count("show"), 1);
    EXPECT_TRUE(windowSurface.open);
    const WizardWidgets& ww = wizardWidgets;
    EXPECT_NE(ww.languagePicture.picture, nullptr);
    EXPECT_NE(ww.devicePicture.picture, nullptr);
    for (const ImageButton& b : ww.languageButtons) EXPECT_TRUE(b.enabled);
    EXPECT_GT(ww.titleLabel.height, 0);
    EXPECT_GT(ww.licenceView.totalHeight, 0);
    EXPECT_NE(bundlePictures->slots[0], nullptr);
    EXPECT_EQ(ww.progressSlideshow.frames, bundlePictures.get());
}

TEST_F(PageFlow, AnUnreadableSettingsFileMeansAnInteractiveRun) {
    w.settingsFile("not xml at all <");
    w.start();
    EXPECT_EQ(settings, nullptr);
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
    EXPECT_EQ(wizardState.fadeMode, FadeIn);
}

TEST_F(PageFlow, TheWindowIsCentredOnTheMonitorUnderTheCursor) {
    w.host.monitors = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
    w.host.cursorX = 2500;
    w.start();
    EXPECT_EQ(windowSurface.windowPos, (platform::Point{2611, 352}));
}

TEST(StartupGeometry, CentringTruncatesTowardZero) {
    EXPECT_EQ(centredOn({0, 0, 1025, 768}, {538, 375}), (platform::Point{243, 196}));
    EXPECT_EQ(centredOn({0, 0, 400, 300}, {538, 375}), (platform::Point{-69, -37}));
    EXPECT_TRUE(settingsPathBeside(u"C:\\Users\\a\\Downloads\\setup.exe") ==
                u"C:\\Users\\a\\Downloads\\script.ini");
}

// The worker on a real thread: the window must not free what the worker reads.

TEST(WorkerLifetime, DestroyingTheWindowWhileTheWorkerRunsWaitsForItsRollback) {
    WizardMachine w(true);
    w.settingsFile(R"(<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" )"
                   R"(HID="1" Path="C:\Program Files"/>)");
    MachineSnapshot before = w.machine.snapshot();
    w.plugTouchDevice();
    // The worker holds at its first system call until the window tells it to stop, so the
    // window is destroyed while the worker certainly still runs.
    std::atomic<bool> held{false};
    const std::thread::id window = std::this_thread::get_id();
    fake::faults().onCall = [&held, window](int, const std::string&) {
        if (std::this_thread::get_id() == window || held.load()) return;
        held = true;
        for (int i = 0; i < 10000 && installConfig->running.load(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    w.start();
    while (!held.load()) std::this_thread::yield();
    // Closed from outside: the worker is told to stop, its messages are served while the
    // window waits, and only then the configuration goes.
    int status = onDestroy();
    EXPECT_EQ(status, kExitRolledBack);
    EXPECT_EQ(installConfig, nullptr);
    fake::faults().onCall = nullptr;
    MachineSnapshot after = w.machine.snapshot();
    after.files.erase(kScriptIni);
    before.files.erase(kScriptIni);
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}

TEST(WorkerLifetime, AWorkerOnItsOwnThreadInstallsWhileTheWindowTicks) {
    WizardMachine w(true);
    toLicencePage(w);
    w.plugTouchDevice();
    w.click(kAgreeX, kButtonY);
    w.runUntilClosed(1000000);
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
    EXPECT_TRUE(w.machine.files.hasFile(kLogPath));
    EXPECT_TRUE(shows(w, u"Installation Complete!"));
}

// One installation a run. Windows sends a device-change notice for every device-node change,
// several per plug and many more while drivers install: none but the first may start anything.

namespace {

int installationsIn(const WizardMachine& w) {
    return int(std::count(w.window.codes.begin(), w.window.codes.end(), ST_WORKER_DONE));
}

void tenNotices() {
    for (int i = 0; i < 10; ++i) onDeviceChange(0x0007, nullptr, 0);
}

const char* const kAgreedIni = R"(<Unattended Lang="English" EndUserLicense="Agree" )"
                               R"(ShowPanel="No" HID="1" Path="C:\Program Files"/>)";

}  // namespace

TEST(PageFlowNotices, TenNoticesStartOneInstallationInEveryMode) {
    {  // interactive
        WizardMachine w;
        toLicencePage(w);
        w.click(kAgreeX, kButtonY);
        ASSERT_TRUE(w.tickUntil([] { return wizardState.pageAlpha[DevicePage] == 255; }));
        w.plugTouchDevice();
        tenNotices();
        w.runUntilClosed();
        EXPECT_EQ(installationsIn(w), 1);
        EXPECT_EQ(w.exitStatus(), kExitInstalled);
    }
    {  // unattended: the device page stays fully shown while the window fades away
        WizardMachine w;
        w.settingsFile(kAgreedIni);
        w.start();
        ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
        w.plugTouchDevice();
        tenNotices();
        for (int i = 0; i < 5; ++i) w.tick();
        tenNotices();
        w.runUntilClosed();
        EXPECT_EQ(installationsIn(w), 1);
        EXPECT_EQ(w.exitStatus(), kExitInstalled);
    }
    {  // quiet: the device was there at the start and the window never shows
        WizardMachine w;
        w.settingsFile(kAgreedIni);
        w.plugTouchDevice();
        w.start();
        tenNotices();
        w.runUntilClosed();
        EXPECT_EQ(installationsIn(w), 1);
        EXPECT_EQ(w.exitStatus(), kExitInstalled);
    }
}

TEST(PageFlowNotices, NoticesWhileTheWorkerRunsOnItsThreadLeaveOneWholeInstallation) {
    WizardMachine w(true);
    w.settingsFile(kAgreedIni);
    MachineSnapshot before = w.machine.snapshot();
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    w.plugTouchDevice();
    // A notice between every two messages of the worker, and between ticks.
    w.window.afterMessage = [](std::uint32_t) { tenNotices(); };
    tenNotices();
    while (!w.closed()) {
        tenNotices();
        w.tick();
    }
    EXPECT_EQ(installationsIn(w), 1);
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
    // The log is whole: removing through it leaves the machine as it was.
    EXPECT_TRUE(runUninstallJob(kLogPath));
    MachineSnapshot after = w.machine.snapshot();
    after.files.erase(kScriptIni);
    before.files.erase(kScriptIni);
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}

// A close from outside (taskkill without /f, a shutdown) while the worker waits for an error box:
// the box's own loop delivers the WM_CLOSE.

TEST(WorkerLifetime, ACloseWhileAnErrorBoxIsOpenEndsTheBoxRollsBackAndExitsWithOne) {
    WizardMachine w(true);
    toLicencePage(w);
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark");
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe");
    w.machine.files.addFile(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe\\x");
    MachineSnapshot before = w.machine.snapshot();
    bool destroyNow = true;
    // The worker's status came from its own thread: it waits for the box's answer, which the
    // close gives, once (a second would let the next box go unanswered).
    w.host.senderIsAnotherThread = true;
    bool releasedBeforeTheBox = false;
    int answeredByTheClose = 0;
    w.host.onMessageBox = [&](const fake::FakeWindowHost::Box&) {
        releasedBeforeTheBox = w.host.senderWaits;
        destroyNow = onCloseRequest();
        // Still inside the box: a session's end handled here waits for the worker's rollback.
        answeredByTheClose = w.host.sendersAnswered;
    };
    w.plugTouchDevice();
    w.click(kAgreeX, kButtonY);
    w.runUntilClosed(1000000);
    EXPECT_FALSE(destroyNow);
    EXPECT_EQ(w.host.boxesClosed, 1);
    EXPECT_TRUE(releasedBeforeTheBox);
    EXPECT_EQ(answeredByTheClose, 1);
    EXPECT_EQ(w.host.sendersAnswered, 1);
    EXPECT_FALSE(w.host.senderWaits);
    EXPECT_EQ(w.exitStatus(), kExitRolledBack);
    EXPECT_TRUE(shows(w, u"Installation Cancelled!"));
    MachineSnapshot after = w.machine.snapshot();
    EXPECT_TRUE(after == before) << describeDifference(before, after);
}

TEST(WorkerLifetime, ACloseWhileTheWorkerRunsCancelsItAndNoErrorBoxWaitsForAnyone) {
    WizardMachine w;
    toLicencePage(w);
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark");
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark\\KorvelServerV6");
    w.machine.files.addFolder(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe");
    w.machine.files.addFile(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe\\x");
    // Told to close at the worker's first message, before its error comes.
    bool asked = false;
    w.window.afterMessage = [&](std::uint32_t) {
        if (!asked) {
            EXPECT_FALSE(onCloseRequest());
        }
        asked = true;
    };
    w.plugTouchDevice();
    w.click(kAgreeX, kButtonY);
    w.runUntilClosed();
    EXPECT_TRUE(w.host.boxes.empty());
    EXPECT_EQ(w.exitStatus(), kExitRolledBack);
    // Before and after an installation a close destroys the window at once.
    WizardMachine idle;
    idle.start();
    EXPECT_TRUE(onCloseRequest());
}

TEST_F(PageFlow, TheFolderChooserIsOwnedByTheWizardWhichTakesNoInputMeanwhile) {
    toLicencePage(w);
    w.picker.answer(platform::FolderChoice::Chosen, u"D:\\Tools");
    platform::Point at = windowSurface.windowPos;
    w.picker.whileOpen = [&] {
        // Agree behind the chooser, a drag, a hover: none of it reaches the wizard.
        w.click(kAgreeX, kButtonY);
        onMouseDown(100, 100);
        w.host.cursorX = 900;
        onMouseMove(150, 150);
        onMouseUp(150, 150);
        onMouseMove(kAgreeX, kButtonY);
    };
    w.click(300, kButtonY);  // Browse
    EXPECT_EQ(w.picker.owners, (std::vector<void*>{kWizardWindow}));
    EXPECT_EQ(wizardState.currentPage, LicencePage);
    EXPECT_EQ(windowSurface.windowPos, at);
    EXPECT_EQ(wizardWidgets.agreeButton.state, ButtonState::Normal);
    EXPECT_TRUE(wizardWidgets.pathLabel.text == u"D:\\Tools\\Brenmark\\KorvelServerV6");
    // Once it is closed the wizard answers again, with the folder the label shows.
    w.click(kAgreeX, kButtonY);
    EXPECT_EQ(wizardState.currentPage, DevicePage);
    EXPECT_TRUE(viewOf(workerParameter.installRoot) == u"D:\\Tools");
}

TEST_F(PageFlow, LosingTheCaptureEndsADragAndForgetsAPress) {
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    platform::Point at = windowSurface.windowPos;
    onMouseDown(100, 100);
    ASSERT_TRUE(wizardState.dragging);
    onCaptureLost();  // an error box took the mouse
    w.host.cursorX = 700;
    w.host.cursorY = 400;
    onMouseMove(300, 300);  // no button held any more
    EXPECT_FALSE(wizardState.dragging);
    EXPECT_EQ(windowSurface.windowPos, at);
    // A press on a flag whose release went elsewhere: a later release there fires nothing.
    onMouseDown(kEnglishX, kFlagY);
    onCaptureLost();
    EXPECT_EQ(wizardWidgets.languageButtons[1].state, ButtonState::Normal);
    onMouseUp(kEnglishX, kFlagY);
    EXPECT_EQ(wizardState.currentPage, LanguagePage);
}

TEST_F(PageFlow, AWizardWhoseTimerCannotStartClosesInsteadOfWaitingForever) {
    fake::faults().failOperation("windows.startTimer");
    w.start();
    EXPECT_FALSE(w.host.visible);
    EXPECT_LT(w.runUntilClosed(100), 100);
    EXPECT_EQ(w.exitStatus(), kExitNotStarted);
    EXPECT_EQ(w.host.count("show"), 0);
    expectMachineUntouched();
}

TEST(PageFlowTimer, AnInstallationWhoseEndFindsNoTimerStillEndsTheProcess) {
    WizardMachine w;
    w.settingsFile(kAgreedIni);
    w.plugTouchDevice();
    fake::faults().failOperation("windows.startTimer");
    w.start();  // the worker runs inside the start and its end message finds no timer
    EXPECT_LT(w.runUntilClosed(100), 100);
    EXPECT_EQ(w.exitStatus(), kExitInstalled);
}

TEST_F(PageFlow, TheDeviceRegistrationIsGivenBackWithTheWindow) {
    w.start();
    EXPECT_EQ(w.usb.liveRegistrations(), 1);
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    w.click(kCloseX, kCloseY);
    w.runUntilClosed();
    EXPECT_EQ(w.usb.liveRegistrations(), 0);
    EXPECT_EQ(w.usb.badCloses(), 0);
}

// The test build's record, which the end-to-end tests wait on: a status line is recorded as
// shown once it is on the screen with the progress page and the window fully shown.

namespace {
std::vector<std::string> recorded;
void record(const char* event, std::u16string_view text) {
    recorded.push_back(std::string(event) + " " + utf16ToUtf8(text));
}
}  // namespace

TEST_F(PageFlow, AStatusLineIsRecordedAsShownOnceItsPageIsFullyShown) {
    recorded.clear();
    wizardTrace = record;
    w.start();
    ASSERT_TRUE(w.tickUntil([] { return wizardState.inputEnabled; }));
    // Set while the progress page is not shown: nothing on the screen yet.
    onWorkerStatus(ST_COMPLETE, nullptr, 0);
    for (int i = 0; i < 3; ++i) w.tick();
    wizardState.currentPage = ProgressPage;  // as the device's arrival does
    for (int i = 0; i < 16; ++i) w.tick();
    EXPECT_EQ(wizardState.pageAlpha[ProgressPage], 240);
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), "shown Installation Complete!"), 0);
    w.tick();
    w.tick();
    wizardTrace = nullptr;
    // Once, from the tick that completed the fade on.
    EXPECT_EQ(std::count(recorded.begin(), recorded.end(), "shown Installation Complete!"), 1);
    EXPECT_EQ(recorded.back(), "shown Installation Complete!");
}

// The device page waits for the devices the package names: the demo frames, another product of
// the same vendor, their notices and their arrival names leave it waiting; the product's own
// device, found at the end of the fade or by a notice, starts the installation.
TEST(PageFlowDevices, TheDevicePageWaitsForThePackagesOwnDevice) {
    ProductIdentity identity = demoIdentity();
    identity.touch.vendor = 0x1234;
    identity.touch.productCount = 1;
    identity.touch.products[0] = 0x0042;
    auto arrival = [](const std::u16string& name) {
        std::vector<std::uint8_t> b(28, 0);
        b[4] = 5;  // a device interface
        for (char16_t c : name) b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
        b.insert(b.end(), {0, 0});
        b[0] = std::uint8_t(b.size());
        return b;
    };
    for (bool atTheEndOfTheFade : {true, false}) {
        WizardMachine w;
        w.resources.add(199, u"RES_DATA", withIdentity(shippedPackage(), identity));
        fake::FakeUsbHub& root = w.usb.addController(0, u"ROOT_HUB_0");
        root.device(1, 0xAAEC, 0x0001);
        root.device(2, 0x1234, 0x0043);
        toLicencePage(w);
        if (atTheEndOfTheFade) root.device(3, 0x1234, 0x0042);
        w.click(kAgreeX, kButtonY);
        ASSERT_TRUE(w.tickUntil([] { return wizardState.pageAlpha[DevicePage] == 255; }));
        if (atTheEndOfTheFade) {
            EXPECT_EQ(wizardState.currentPage, ProgressPage);
            w.runUntilClosed();
            EXPECT_EQ(w.exitStatus(), kExitInstalled);
            continue;
        }
        auto frame = arrival(u"\\\\?\\USB#VID_AAEC&PID_0001#5");
        auto sibling = arrival(u"\\\\?\\USB#VID_1234&PID_0043#5");
        onDeviceChange(0x8000, frame.data(), frame.size());
        onDeviceChange(0x8000, sibling.data(), sibling.size());
        onDeviceChange(0x0007, nullptr, 0);
        for (int i = 0; i < 5; ++i) w.tick();
        EXPECT_EQ(wizardState.currentPage, DevicePage);
        EXPECT_TRUE(w.window.codes.empty());
        auto own = arrival(u"\\\\?\\USB#VID_1234&PID_0042#5");
        onDeviceChange(0x8000, own.data(), own.size());
        EXPECT_EQ(wizardState.currentPage, ProgressPage);
        w.runUntilClosed();
        EXPECT_EQ(w.exitStatus(), kExitInstalled);
    }
}
