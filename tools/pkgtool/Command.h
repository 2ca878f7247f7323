// pkgtool's sub-commands register themselves, one file each, so that adding a command touches
// no other file.
#pragma once

#include <string>
#include <vector>

using CommandFunction = int (*)(const std::vector<std::string>& args);

struct CommandRegistration {
    CommandRegistration(const char* name, const char* usage, CommandFunction run);
};

// Installs the real platform layer (Win32 or posix) before a command runs.
void installSystemPlatform();
