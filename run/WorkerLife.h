// The life of the one installation a run may start: its start (once the product is free), its
// status messages (status lines, error boxes, its end), a close asked for while it runs, and
// its end, after which the window fades out and closes.
#pragma once

#include <cstddef>
#include <cstdint>

// One installation a run, whatever device notices keep arriving while (or after) it runs.
// Another installation or removal of the product running ends the run instead.
void startWorker();

// True while the one installation of the run has started and its end message has not come.
bool installationRuns();

// WM_COPYDATA from the install worker.
void onWorkerStatus(std::uint32_t code, const std::uint8_t* text, std::size_t size);

// WM_CLOSE. True when the window may be destroyed now; false while the installation runs: it
// is cancelled instead (an error box it waits for is ended), and its end message closes the
// window once the rollback is done.
bool onCloseRequest();

// The close button (and Disagree): cancels a running installation, whose end message then
// closes the window; otherwise the window fades out and closes.
void closeAction();

// The wizard lost its timer: the window closes at once, or, while an installation runs, when
// the worker's end message comes.
void closeWithoutTimer();
