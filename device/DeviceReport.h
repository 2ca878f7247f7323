// What a run that found no touch device says in its log: the ids it looked for and the USB
// devices it saw, so that a frame of another model or a missing one can be told apart.
#pragma once

#include <string>

#include "device/TouchDeviceIds.h"

// "vendor 0xAAEC, any product" or "vendor 0x1234, products 0x0042 0x0043".
std::string touchIdsText(const TouchDeviceIds& ids);
// "USB devices seen: 046D:C52B 8087:0024" (vendor:product of every non-hub device), or "no USB
// device seen".
std::string attachedDevicesText();
