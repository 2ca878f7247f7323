// The process entry's portable part: the sequence before the window run, the window placed,
// the run's decisions put into the wizard's hooks, and the wizard started once its window
// exists.
#pragma once

#include <string_view>

#include "platform/Drawing.h"
#include "platform/StatusChannel.h"
#include "platform/WindowHost.h"

// Centred on the monitor: each half of the free space truncated toward zero.
platform::Point centredOn(const platform::ScreenRect& monitor, platform::Size size);
// The window's size at the display density, centred on the monitor nearest the cursor ((0, 0)
// when the monitor cannot be asked).
void placeWindow(unsigned dpi);

// What prepareWizard answers when the run goes on to its window.
constexpr int kRunGoesOn = -1;

// Reads the command line and the settings (none when the file cannot be read and the command
// line says nothing of how to install: an interactive run), the command line winning; opens
// the setup log; sets the wizard's first state, and centres the window on the monitor nearest
// the cursor ((0, 0) when the monitor cannot be asked). For /? and a command line that was not
// understood it shows the usage instead (only in the log for /S) and answers the exit status;
// otherwise kRunGoesOn.
int prepareWizard(std::u16string_view executablePath, std::u16string_view commandLine = {});

// Sets the click actions of the widgets, the surface build's start-up decision and the
// animation's hooks; nothing of an earlier run is left.
void installPageFlow();

// Once the window exists: asks for device notices, seeds the worker parameter with the window's
// status channel, and builds the surface, which makes the start-up decision.
void startWizard(void* window, platform::StatusChannel* statusChannel);
