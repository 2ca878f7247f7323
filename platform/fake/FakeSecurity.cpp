#include "platform/fake/FakeSecurity.h"

#include "common/Text.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

bool FakeSecurity::isWritableOnlyByTrusted(const char16_t* path) {
    if (faults().shouldFail("isWritableOnlyByTrusted", utf16ToUtf8(viewOf(path)))) return false;
    std::u16string p(viewOf(path));
    if (files_.isLinkAt(p) || (!files_.hasFile(p) && !files_.hasFolder(p))) return false;
    return files_.effectiveAccess(p) == Access::OnlyTrusted;
}

bool FakeSecurity::createProtectedFolder(const char16_t* path) {
    if (faults().shouldFail("createProtectedFolder", utf16ToUtf8(viewOf(path)))) return false;
    std::u16string p(viewOf(path));
    return files_.makeFolder(p) && files_.setAccess(p, Access::OnlyTrusted);
}

void FakeSecurity::openToUsers(const std::u16string& path) {
    files_.setAccess(path, Access::OpenToUsers);
}

bool FakeSecurity::hasProtectedList(const std::u16string& path) const {
    return files_.hasFolder(path) && files_.accessMark(path) == Access::OnlyTrusted;
}

}  // namespace fake
