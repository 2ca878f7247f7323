#include "wizard/Records.h"

#include "package/Package.h"

InstallConfig* installConfig = nullptr;
std::unique_ptr<PictureTable> bundlePictures;
WorkerParameter workerParameter;

void createInstallRecords() {
    releaseInstallRecords();
    installConfig = new InstallConfig;
    bundlePictures = std::make_unique<PictureTable>();
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
