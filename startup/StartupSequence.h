// The portable part of the process entry: where the settings file lies, the wizard's first
// state and place on the screen, and starting the wizard once its window exists.
#pragma once

#include <string>
#include <string_view>

#include "platform/Drawing.h"
#include "platform/StatusChannel.h"
#include "platform/WindowHost.h"

// "script.ini" in the executable's own folder, whatever the current folder is.
std::u16string settingsPathBeside(std::u16string_view executablePath);

// Centred on the monitor: each half of the free space truncated toward zero.
platform::Point centredOn(const platform::ScreenRect& monitor);

// Reads the settings (none when the file cannot be read: an interactive run), sets the wizard's
// first state, and centres the window on the monitor nearest the cursor ((0, 0) when the
// monitor cannot be asked).
void prepareWizard(std::u16string_view executablePath);

// Once the window exists: asks for device notices, seeds the worker parameter with the window's
// status channel, and builds the surface, which makes the start-up decision.
void startWizard(void* window, platform::StatusChannel* statusChannel);
