#include "package/FileRemoval.h"

#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace {

template <typename Remove>
bool removeWhenFree(Remove remove) {
    for (int retry = 0;; ++retry) {
        platform::DeleteResult result = remove();
        if (result != platform::DeleteResult::InUse || retry == kInUseRetries) {
            return result == platform::DeleteResult::Deleted;
        }
        platform::clock().sleep(kInUseRetryMs);
    }
}

}  // namespace

bool deleteFileWhenFree(const char16_t* path) {
    return removeWhenFree([path] { return platform::files().deleteFile(path); });
}

bool removeFolderWhenFree(const char16_t* path) {
    return removeWhenFree([path] { return platform::files().removeFolder(path); });
}

bool removeBelowWhenFree(const char16_t* base, const char16_t* relative) {
    return removeWhenFree(
        [base, relative] { return platform::files().removeBelow(base, relative); });
}
