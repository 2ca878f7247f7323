// The platform table of setup.exe: every slot filled with the real Windows calls (the test
// build's USB bus is the simulated one, described by a file next to the executable).
#pragma once

#include <string>

#include "app/setup/WindowStatusChannel.h"

void installSetupPlatform(const std::u16string& executableFolder);

// The channel the install worker reports through, attached to the window once it exists.
WindowStatusChannel& setupStatusChannel();
