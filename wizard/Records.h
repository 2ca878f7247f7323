// The process-wide records the window thread owns besides the wizard state and the widgets:
// the install configuration, the picture table of the image bundle, and the parameter the
// wizard hands to the install worker.
#pragma once

#include <memory>

#include "package/ImageBundle.h"
#include "package/InstallConfig.h"

// From the surface build to its teardown; empty (zero-filled) until a package is loaded.
extern InstallConfig* installConfig;
// Ten empty slots from the surface build on; the bundle decoder fills them and the progress
// slideshow shows them.
extern std::unique_ptr<PictureTable> bundlePictures;
// A language asked for the bundle's pictures before the window graphics existed: they are
// decoded when the window is first shown.
extern bool bundleWaiting;
// Seeded when the run starts the wizard; installation root and language come from installer
// initialisation and the folder browser.
extern WorkerParameter workerParameter;

void createInstallRecords();
// Clears the running flag of a worker that runs: it rolls back and sends its end message.
void stopRunningWorker();
// A configuration whose worker thread is still held is only detached, not freed: the thread
// may still be reading it (the window can be destroyed from outside while it runs).
void releaseInstallRecords();
