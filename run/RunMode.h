// Which mode the run is in. Interactive: no settings, every page is shown. Unattended: the
// settings file or the command line says how to install, and the window shows only what they
// leave open. Silent (/S): no window and no box at all; what goes wrong is only logged.
#pragma once

#include "device/TouchDeviceIds.h"

// The devices the package names as its own; the defaults before any package is loaded.
const TouchDeviceIds& productTouchDevices();
// A run told to install without the device (a machine prepared before its frame is fitted)
// finds it present whenever it looks.
bool touchDeviceAttached();
// A run without a window has nobody to answer a box: a deployment tool would wait for ever.
bool runsWithoutWindow();
