// Where the running pkgtool lies, so that a file shipped next to it can be its default.
#pragma once

#include <string>

// The folder holding the running executable, in the system's own form (UTF-8); empty when the
// system does not say.
std::string toolFolder();

// The path of `name` in that folder; empty when the folder is unknown.
std::string besideTool(const std::string& name);
