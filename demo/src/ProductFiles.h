// Where the demo product's programs find their files on Windows: the panel configuration the
// installer writes, their own folder, and the product's log folder.
#pragma once

#include <string>

#include "PanelSettings.h"

// <common documents>\Vantrel\PanelConfig.ini; empty when the system has no such folder.
std::wstring panelConfigPath();

// Reads and parses the file; a missing, unreadable or oversized file is reported in
// `problem`, as a damaged one is.
PanelSettings readPanelSettingsFile(const std::wstring& path);

// The folder of the running program (no trailing backslash); empty on failure.
std::wstring programFolder();

// Appends one line, prefixed with the local time and the process id, to
// <Windows>\Logs\Brenmark\<fileName>. Only administrators can write below <Windows>\Logs, so
// the file cannot have been planted (as a link to another file) by an ordinary user, as it
// could in a shared data folder. Nothing is ever written into the installation folder.
bool appendProductLog(const wchar_t* fileName, const std::string& line);

// UTF-8 <-> UTF-16 for the few texts that cross.
std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);
