// Text at the tool's edges: arguments and output are UTF-8, the core works in UTF-16 with
// backslashes.
#pragma once

#include <string>
#include <string_view>

// A path from the command line (either slash) as the file-system layer takes it.
std::u16string toolPath(std::string_view arg);

// UTF-8 for printing.
std::string printable(std::u16string_view text);

// Prints "pkgtool: MESSAGE" on stderr; returns the exit code 1.
int toolError(const std::string& message);
