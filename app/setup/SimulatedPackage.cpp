#include "app/setup/SimulatedPackage.h"

#include <string_view>

#include "platform/FileSystem.h"
#include "startup/PackageFacts.h"

namespace {
// The view's handle when the bytes are the file's: nothing of the executable to free.
int fromFile;
}  // namespace

bool SimulatedPackage::lock(int id, const char16_t* type, platform::ResourceView& view) {
    if (id != kPackageResource || std::u16string_view(type) != u"RES_DATA") {
        return own_.lock(id, type, view);
    }
    if (!read_) {
        read_ = true;
        present_ = platform::files().readFile(file_.c_str(), bytes_);
        if (!present_) bytes_.clear();
    }
    if (!present_) return own_.lock(id, type, view);
    view.data = bytes_.data();
    view.size = bytes_.size();
    view.handle = &fromFile;
    return true;
}

void SimulatedPackage::release(platform::ResourceView& view) {
    if (view.handle != &fromFile) return own_.release(view);
    view = platform::ResourceView{};
}

int SimulatedPackage::loadString(int id, char16_t* buffer, int units) {
    return own_.loadString(id, buffer, units);
}
