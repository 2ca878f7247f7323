#include "wizard/Records.h"

#include "package/Package.h"

InstallConfig* installConfig = nullptr;
std::unique_ptr<PictureTable> bundlePictures;
bool bundleWaiting = false;
WorkerParameter workerParameter;

void createInstallRecords() {
    releaseInstallRecords();
    installConfig = new InstallConfig;
    bundlePictures = std::make_unique<PictureTable>();
    bundleWaiting = false;
}

void stopRunningWorker() {
    if (installConfig && installConfig->workerThread) installConfig->running = false;
}

void releaseInstallRecords() {
    if (installConfig && installConfig->workerThread) {
        dropWorkerThread(*installConfig);
    } else {
        releaseInstallConfig(installConfig);
    }
    installConfig = nullptr;
    bundlePictures.reset();
}
