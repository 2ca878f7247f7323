#include "package/InstallConfig.h"

void dropWorkerThread(InstallConfig& config) {
    if (!config.workerThread) return;
    config.running = false;
    config.workerThread.reset();
}
