// Shell shortcuts to installed programs. Callers keep a shortcut's path without its ".lnk":
// that is what they log, and removal deletes that path with ".lnk" appended.
#pragma once

// Writes `link`.lnk pointing at `target`, shown normally, with no arguments, working folder,
// icon or description. COM is initialised and uninitialised around this one shortcut on the
// calling thread. True only when the link file was saved; false when either path does not fit a
// 260-unit buffer (nothing is cut), COM or the link object cannot be had, or saving fails.
bool createShortcut(const char16_t* target, const char16_t* link);
