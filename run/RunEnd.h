// The end of a run and its exit status: what a finished, cancelled or refused installation
// tells a deployment tool, why a window closed before any installation started, and the status
// logged with its meaning as the last thing a run does.
#pragma once

#include "engine/ExitStatus.h"

// Ends a run that never showed its window and installs nothing, with its own exit status.
void endWithoutInstalling(int status, const char* reason);

// WM_DESTROY: a worker that still runs is asked to stop and waited for (its messages are
// served meanwhile), then the surface, widgets and settings go. Returns the exit status, which
// is logged and ends the log.
int onDestroy();

// The exit status, logged with its meaning (the table's unless given), and the log closed: the
// last thing a run does.
int endRun(int status, const char* meaning = nullptr);
