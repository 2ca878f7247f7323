#include "engine/FileRemoval.h"

#include "platform/Clock.h"
#include "platform/FileSystem.h"

bool deleteFileWhenFree(const char16_t* path) {
    for (int retry = 0;; ++retry) {
        platform::DeleteResult result = platform::files().deleteFile(path);
        if (result != platform::DeleteResult::InUse || retry == kInUseRetries) {
            return result == platform::DeleteResult::Deleted;
        }
        platform::clock().sleep(kInUseRetryMs);
    }
}
