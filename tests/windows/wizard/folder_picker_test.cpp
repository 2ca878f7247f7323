// The shell's folder chooser on a real display: it opens showing the fixed Chinese title, and
// cancelling it leaves the installation root and the path label as they were. The chooser is
// modal and waits for a person, so this test runs only when tests/e2e/folder_picker.sh drives
// it (the script cancels the chooser with a key sent through xdotool); CTest does not list it.
#include <windows.h>
// After windows.h.
#include <objbase.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "WizardHarness.h"
#include "platform/win32/Win32FolderPicker.h"
#include "wizard/FolderBrowser.h"
#include "wizard/Records.h"
#include "wizard/Widgets.h"

namespace wiz {
namespace {

struct Seen {
    HWND dialog = nullptr;
    bool title = false;
};

BOOL CALLBACK lookForTitle(HWND child, LPARAM param) {
    wchar_t text[64] = {};
    GetWindowTextW(child, text, 64);
    if (std::wstring(text) == reinterpret_cast<const wchar_t*>(kFolderPickerTitle)) {
        reinterpret_cast<Seen*>(param)->title = true;
    }
    return TRUE;
}

BOOL CALLBACK lookForDialog(HWND window, LPARAM param) {
    wchar_t kind[16] = {};
    GetClassNameW(window, kind, 16);
    if (IsWindowVisible(window) && std::wstring(kind) == L"#32770") {
        auto* seen = reinterpret_cast<Seen*>(param);
        seen->dialog = window;
        EnumChildWindows(window, lookForTitle, param);
    }
    return TRUE;
}

class FolderPicker : public WizardSurface {};

TEST_F(FolderPicker, OpensWithItsTitleAndACancelChangesNothing) {
    if (!std::getenv("TS_FOLDER_PICKER_E2E")) GTEST_SKIP() << "run by tests/e2e/folder_picker.sh";
    win32::Win32FolderPicker shell;
    platform::os().folders = &shell;
    CoInitialize(nullptr);
    copyText(installConfig->company, u"Brenmark");
    copyText(installConfig->product, u"KorvelServerV6");
    const std::u16string root = u"C:\\Program Files (x86)";
    const std::u16string label = root + u"\\Brenmark\\KorvelServerV6";
    copyText(workerParameter.installRoot, root);
    wizardWidgets.pathLabel.setText(label);

    // The chooser runs its own modal loop on this thread; a second thread looks at it.
    Seen seen;
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        for (int i = 0; i < 600 && !done && !seen.title; ++i) {
            EnumWindows(lookForDialog, reinterpret_cast<LPARAM>(&seen));
            Sleep(100);
        }
        if (seen.dialog) {
            wchar_t caption[128] = {};
            GetWindowTextW(seen.dialog, caption, 128);
            std::printf("chooser open: caption \"%ls\", title %s\n", caption,
                        seen.title ? "shown" : "missing");
            std::fflush(stdout);
        }
    });
    browseForInstallRoot();
    done = true;
    watcher.join();
    CoUninitialize();

    EXPECT_NE(seen.dialog, nullptr);
    EXPECT_TRUE(seen.title);
    EXPECT_EQ(viewOf(workerParameter.installRoot), root);
    EXPECT_EQ(wizardWidgets.pathLabel.text, label);
}

}  // namespace
}  // namespace wiz
