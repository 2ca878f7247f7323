// The codes of the install worker's status messages (the WM_COPYDATA dwData). The window maps
// each to its text; the numbers are shared with the window and must not change.
#pragma once

#include <cstdint>

enum StatusCode : std::uint32_t {
    ST_COPYING_FILE = 0,
    ST_DELETING_FILE = 1,
    ST_INSTALLING_DRIVER = 3,
    ST_INSTALLING_SERVICE = 4,
    ST_UNINSTALLING_DRIVER = 5,
    ST_REMOVING_SERVICE = 6,
    ST_FILE_ERROR = 11,
    ST_DRIVER_ERROR = 12,
    ST_SERVICE_ERROR = 13,
    ST_CANCELLED = 14,
    ST_COMPLETE = 15,
    ST_STARTING_SERVICE = 16,
    ST_STOPPING_SERVICE = 17,
    ST_WORKER_DONE = 18,
    ST_PREVIOUS_VERSION = 23,
    // The earlier installation could not be removed completely (the text names what stayed):
    // nothing is installed over it.
    ST_PREVIOUS_VERSION_LEFT = 24,
    // A name the installation needs (a service, a shortcut, its Uninstall entry...) belongs to
    // another product: the text names the item and its owner. Nothing of the installation
    // remains.
    ST_NAME_TAKEN = 25,
    // A newer version of the product is installed and was not replaced: the text names both.
    ST_NEWER_VERSION = 26,
};

// "ST_COPYING_FILE" ..., or none for a number that is no status code.
const char* statusCodeName(std::uint32_t code);
