// What the run knows of itself between the window's messages: the one installation it may
// start, and why it would end without one. Shared by the run's own files only.
#pragma once

// The one installation a run may start.
struct WorkerRecord {
    bool started = false;
    bool ended = false;        // its end message arrived
    bool closeAsked = false;   // the window was told to close while the worker ran
    bool boxOpen = false;      // one of its error boxes is open, and the worker waits for it
    bool senderWaits = false;  // the worker waits for the box's answer, released from its send
};
extern WorkerRecord workerRecord;

// A run that ends before any installation for a reason of its own (no touch device in a
// silent run's wait, a Path that cannot be used) says so in its exit status.
extern int endStatus;
// Why a window closed before any installation started, for the log of a run that ends with 2.
extern const char* closedBecause;
