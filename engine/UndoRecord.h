// The undoing of the log records that need no judgement: shortcuts, menu and registry entries,
// folders. The rollback and the uninstall worker differ only in the records around these
// (messages, trust, time limits).
#pragma once

#include "engine/UninstallLog.h"

// Undoes a record of those kinds and answers true; false for any other type, which the caller
// handles (or ignores).
bool undoSimpleRecord(std::uint8_t type, const TextBuffer& text);
