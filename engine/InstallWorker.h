// The install worker: the whole installation on its own thread, with its rollback.
#pragma once

#include <string_view>

#include "package/InstallConfig.h"

// Closes a held worker handle, copies the parameter, sets the running flag and starts the
// worker thread. False, and nothing changed, while an earlier worker on the configuration has
// not ended; otherwise true, also when no thread could be created (no handle then).
bool startInstallWorker(InstallConfig& config, const WorkerParameter& parameter);

// The thread body: runs the installation (or its rollback) to the end and returns 0.
int installWorker(InstallConfig& config);

// "HID" anywhere in the text, ASCII letters compared without regard to case.
bool containsHid(std::u16string_view text);
