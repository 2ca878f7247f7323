// Start-up entries: values of Software\Microsoft\Windows\CurrentVersion\Run, each named after
// its program and holding the command that starts it; HKCU's for the account, HKLM's for every
// user (a per-machine installation).
#pragma once

#include <string_view>

#include "common/Text.h"
#include "platform/Registry.h"

// The command for a program: its path in double quotes, then " -h". The quotes keep Windows
// from taking a path with spaces ("C:\Program Files\...") for a shorter program such as
// "C:\Program.exe". False (command emptied) when it does not fit 260 units.
bool runCommandFor(std::u16string_view programPath, TextBuffer& command);

// The value name of a command: stemOf the command with the program's quotes taken out. The
// quoted "\"C:\P F\KorvelPanel.exe\" -h" and the unquoted "C:\P F\KorvelPanel.exe -h" that
// earlier versions wrote and logged both give "KorvelPanel". False when the name is empty or the
// command does not fit 260 units; such a command is refused by the two operations below.
bool runValueNameOf(std::u16string_view command, TextBuffer& name);

// Opens the Run key (it is not created) and sets the REG_SZ value named runValueNameOf(command)
// to the command. True when the value was set.
bool writeRunEntry(const char16_t* command,
                   platform::RegistryRoot root = platform::RegistryRoot::CurrentUser);

// Opens the Run key and deletes the value named runValueNameOf(command), whether it was written
// quoted or by an earlier version unquoted. False when the key does not open or there was no
// such value.
bool removeRunEntry(const char16_t* command,
                    platform::RegistryRoot root = platform::RegistryRoot::CurrentUser);
