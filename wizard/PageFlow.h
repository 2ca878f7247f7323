// The wizard's page flow: the start-up decision, the animation step of every timer tick, the
// click actions, device arrival, the worker's status messages and the end of the window. Plain
// functions over the wizard state; the window procedure decodes the messages and calls them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/ExitStatus.h"

constexpr int kWizardTimer = 1;
constexpr unsigned kTickMs = 33;
// The silent run's wait for the touch device looks once a second.
constexpr int kDeviceWaitTimer = 2;
constexpr unsigned kDeviceWaitTickMs = 1000;

// Sets the click actions of the widgets and the surface build's start-up decision.
void installPageFlow();

// Without settings the window fades in on the language page; with settings the language is
// loaded and the wizard opens on the licence page, on the device page, or installs at once
// without showing the window.
void runStartupDecision();

// One step of every fade and widget animation; true when something visible changed.
bool stepAnimations();
// WM_TIMER: steps, then paints a full compose, a dirty repaint, or nothing.
void onTimer();
// WM_TIMER of the silent run's device wait: the installation starts once the device is there;
// when the wait is over without it, the run ends with its own exit status.
void onDeviceWaitTimer();

// The mouse; nothing while the folder chooser is open.
void onMouseDown(int x, int y);
void onMouseMove(int x, int y);
void onMouseUp(int x, int y);
// WM_DPICHANGED: the window moved to a screen of another density (or the density changed);
// it takes the new size at the top-left corner the system suggests and is drawn again.
void onDpiChanged(unsigned dpi, int left, int top);
// WM_CAPTURECHANGED (to another window) and WM_CANCELMODE: a drag ends, a press is forgotten.
void onCaptureLost();

// WM_CLOSE. True when the window may be destroyed now; false while the installation runs: it
// is cancelled instead (an error box it waits for is ended), and its end message closes the
// window once the rollback is done.
bool onCloseRequest();

// True while the one installation of the run has started and its end message has not come.
bool installationRuns();

// WM_DEVICECHANGE with the bytes lParam points to (none for notices without a structure).
void onDeviceChange(std::uintptr_t wParam, const std::uint8_t* broadcast, std::size_t size);

// WM_COPYDATA from the install worker.
void onWorkerStatus(std::uint32_t code, const std::uint8_t* text, std::size_t size);

// WM_DESTROY: a worker that still runs is asked to stop and waited for (its messages are
// served meanwhile), then the surface, widgets and settings go. Returns the exit status, which
// is logged and ends the log.
int onDestroy();

// Where the test build of setup.exe records what the wizard showed and did ("window shown",
// "page 2", "install", "status ..." when a status line is set and "shown ..." once it is on the
// screen with its page fully shown, "box CAPTION|TEXT", "no box CAPTION|TEXT" for an error of a run
// without a window, "close asked", "shutdown held", "session ends", "drag started", "drag ended",
// "exit 0"); none in the shipped setup.exe.
extern void (*wizardTrace)(const char* event, std::u16string_view text);

// The click actions, for the buttons and the tests.
void languageAction(std::uint32_t langId);
void agreeAction();
void closeAction();
