#include "run/RunMode.h"

#include "device/UsbDevices.h"
#include "startup/Settings.h"
#include "wizard/Records.h"

const TouchDeviceIds& productTouchDevices() {
    static const TouchDeviceIds defaults{};
    return installConfig ? installConfig->identity.touch : defaults;
}

bool touchDeviceAttached() {
    if (settings && settings->noDevice) return true;
    return countTouchDevices(productTouchDevices()) > 0;
}

bool runsWithoutWindow() {
    return workerParameter.quiet != 0 || (settings && settings->silent);
}
