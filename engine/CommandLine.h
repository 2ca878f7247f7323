// Command lines handed to CreateProcessW and stored as service binary paths. The program is
// always written in double quotes: unquoted, "C:\Program Files\Korvel\x.exe" would first be
// tried as "C:\Program.exe", which anyone who can write to C:\ could plant.
#pragma once

#include <string>
#include <string_view>

// `"program"` or `"program" arguments`. False (and nothing composed) when the program is empty,
// does not fit a 260-unit path buffer, or holds a double quote, which would end the quoting
// early and turn the rest of the path into arguments.
bool quotedCommandLine(std::u16string_view program, std::u16string_view arguments,
                       std::u16string& commandLine);

// The program a command line starts: the quoted part when it begins with a quote, otherwise the
// whole text (binary paths and commands that earlier versions stored unquoted).
std::u16string_view programOf(std::u16string_view commandLine);
