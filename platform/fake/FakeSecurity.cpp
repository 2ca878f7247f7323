#include "platform/fake/FakeSecurity.h"

#include "common/Names.h"
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

bool FakeSecurity::protectFileBelow(const char16_t* base, const char16_t* relative) {
    std::u16string p = std::u16string(viewOf(base)) + u"\\" + std::u16string(viewOf(relative));
    if (faults().shouldFail("protectFileBelow", utf16ToUtf8(p))) return false;
    if (!isPlainRelativePath(viewOf(relative))) return false;
    // No link anywhere below the base.
    for (std::size_t at = p.find(u'\\', textLength(base)); at != std::u16string::npos;
         at = p.find(u'\\', at + 1)) {
        if (files_.isLinkAt(p.substr(0, at))) return false;
    }
    if (files_.isLinkAt(p) || !files_.hasFile(p) || files_.linkCount(p) != 1) return false;
    // A file someone else made stays theirs: the fake keeps a user's mark.
    if (files_.accessMark(p) == Access::OpenToUsers) return false;
    return files_.setAccess(p, Access::OnlyTrusted);
}

namespace {

using platform::FolderFault;

class FakeHold : public platform::Hold {
public:
    explicit FakeHold(FakeFileSystem& files) : files_(files) {}
    ~FakeHold() override {
        for (const std::u16string& path : paths_) files_.release(path);
    }
    void keep(const std::u16string& path) {
        files_.hold(path);
        paths_.push_back(path);
    }

private:
    FakeFileSystem& files_;
    std::vector<std::u16string> paths_;
};

platform::Held faultAt(FolderFault fault, const std::u16string& path) {
    platform::Held held;
    held.fault = fault;
    held.atFault = path;
    return held;
}

// What the chain's judgement finds at one object; `folder` tells which kind is wanted.
FolderFault judge(FakeFileSystem& files, const std::u16string& path, bool folder, bool changeOnly) {
    if (files.isLinkAt(path)) return FolderFault::Link;
    if (folder ? !files.hasFolder(path) : !files.hasFile(path)) return FolderFault::Missing;
    Access access = files.effectiveAccess(path);
    bool sound = changeOnly ? access != Access::OpenToUsers : access == Access::OnlyTrusted;
    return sound ? FolderFault::None : FolderFault::ChangeableByOthers;
}

}  // namespace

platform::Held FakeSecurity::holdFolderChain(const char16_t* path) {
    std::vector<std::u16string> chain;
    if (faults().shouldFail("holdFolderChain", utf16ToUtf8(viewOf(path))) ||
        !folderChainOf(viewOf(path), chain)) {
        return faultAt(FolderFault::Unreadable, std::u16string(viewOf(path)));
    }
    auto hold = std::make_unique<FakeHold>(files_);
    for (const std::u16string& folder : chain) {
        FolderFault fault = judge(files_, folder, true, true);
        if (fault != FolderFault::None) return faultAt(fault, folder);
        hold->keep(folder);
    }
    platform::Held held;
    held.hold = std::move(hold);
    return held;
}

platform::Held FakeSecurity::holdTrustedFile(const char16_t* base, const char16_t* relative) {
    std::u16string path(viewOf(base));
    if (faults().shouldFail("holdTrustedFile",
                            utf16ToUtf8(path + u"\\" + std::u16string(viewOf(relative)))) ||
        !isPlainRelativePath(viewOf(relative))) {
        return faultAt(FolderFault::Unreadable, path);
    }
    auto hold = std::make_unique<FakeHold>(files_);
    std::u16string_view rest = viewOf(relative);
    while (!rest.empty()) {
        std::size_t cut = rest.find(u'\\');
        bool last = cut == std::u16string_view::npos;
        path += u"\\" + std::u16string(rest.substr(0, last ? rest.size() : cut));
        rest = last ? std::u16string_view() : rest.substr(cut + 1);
        FolderFault fault = judge(files_, path, !last, false);
        if (fault != FolderFault::None) return faultAt(fault, path);
        hold->keep(path);
    }
    platform::Held held;
    held.hold = std::move(hold);
    return held;
}

void FakeSecurity::letUsersAdd(const std::u16string& path) {
    files_.setAccess(path, Access::UsersMayAdd);
}

void FakeSecurity::openToUsers(const std::u16string& path) {
    files_.setAccess(path, Access::OpenToUsers);
}

bool FakeSecurity::hasProtectedList(const std::u16string& path) const {
    return files_.hasFolder(path) && files_.accessMark(path) == Access::OnlyTrusted;
}

}  // namespace fake
