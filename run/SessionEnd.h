// The end of the Windows session while setup.exe runs. A shutdown or log-off asks every
// window first (WM_QUERYENDSESSION) and then tells it (WM_ENDSESSION), after which the system
// may end the process at any moment: an installation cut there would be left half made, with
// no log to remove it. So while the installation runs the shutdown is held, with the reason
// the system shows, and the installation is cancelled; when the session ends all the same, the
// rollback is waited for (bounded), and the run ends with its exit status logged.
#pragma once

#include <cstdint>

// How long the end of the session waits for a rollback: its longest step is a driver
// uninstall script, allowed 180 s, and the rest takes seconds.
constexpr std::uint32_t kEndSessionWaitMs = 200000;

// WM_QUERYENDSESSION. True when the session may end now: no installation runs. While one runs,
// the shutdown is held (the reason is MSG_CANCELLING_SETUP in the wizard's language), the
// installation is cancelled as a close would cancel it (an error box it waits for is ended),
// the log says why, and the answer is false.
bool onQueryEndSession();

// WM_ENDSESSION. `ending` false: the end was called off, and a cancelled installation rolls
// back and ends the run as a cancel does; nothing more happens here (false). `ending` true:
// the run ends now (true: the window is to be destroyed at once): a worker still rolling back
// is cancelled if it was not and waited for, its messages served, for at most
// kEndSessionWaitMs; the log says whether it ended.
bool onEndSession(bool ending);

// For the worker's life and the run's end: the hold is let go once the worker has ended; and at the
// window's end a worker that the end of the session waited for in vain is not waited for again.
void releaseShutdownHold();
bool workerLeftRunningAtSessionEnd();
// Before a run: nothing held, nothing left.
void resetSessionEnd();
