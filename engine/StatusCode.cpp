#include "engine/StatusCode.h"

const char* statusCodeName(std::uint32_t code) {
    switch (code) {
        case ST_COPYING_FILE:
            return "ST_COPYING_FILE";
        case ST_DELETING_FILE:
            return "ST_DELETING_FILE";
        case ST_INSTALLING_DRIVER:
            return "ST_INSTALLING_DRIVER";
        case ST_INSTALLING_SERVICE:
            return "ST_INSTALLING_SERVICE";
        case ST_UNINSTALLING_DRIVER:
            return "ST_UNINSTALLING_DRIVER";
        case ST_REMOVING_SERVICE:
            return "ST_REMOVING_SERVICE";
        case ST_FILE_ERROR:
            return "ST_FILE_ERROR";
        case ST_DRIVER_ERROR:
            return "ST_DRIVER_ERROR";
        case ST_SERVICE_ERROR:
            return "ST_SERVICE_ERROR";
        case ST_CANCELLED:
            return "ST_CANCELLED";
        case ST_COMPLETE:
            return "ST_COMPLETE";
        case ST_STARTING_SERVICE:
            return "ST_STARTING_SERVICE";
        case ST_STOPPING_SERVICE:
            return "ST_STOPPING_SERVICE";
        case ST_WORKER_DONE:
            return "ST_WORKER_DONE";
        case ST_PREVIOUS_VERSION:
            return "ST_PREVIOUS_VERSION";
        case ST_PREVIOUS_VERSION_LEFT:
            return "ST_PREVIOUS_VERSION_LEFT";
        case ST_NAME_TAKEN:
            return "ST_NAME_TAKEN";
        case ST_NEWER_VERSION:
            return "ST_NEWER_VERSION";
        default:
            return nullptr;
    }
}
