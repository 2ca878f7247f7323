// Access lists over the fake file system: each object carries a mark (open to users, or
// writable only by trusted principals), inherited from the nearest folder above that has one;
// objects under no mark at all count as protected, as a normal machine's system folders are.
#pragma once

#include <string>

#include "platform/Security.h"

namespace fake {

class FakeFileSystem;

class FakeSecurity : public platform::Security {
public:
    explicit FakeSecurity(FakeFileSystem& files) : files_(files) {}

    bool isWritableOnlyByTrusted(const char16_t* path) override;
    bool createProtectedFolder(const char16_t* path) override;
    bool protectFileBelow(const char16_t* base, const char16_t* relative) override;
    // The folders are judged by their marks (OpenToUsers is ChangeableByOthers) and held in
    // the file system fake while the hold lives.
    platform::Held holdFolderChain(const char16_t* path) override;
    platform::Held holdTrustedFile(const char16_t* base, const char16_t* relative) override;

    // Direct access for tests: every user may write the object and (by inheritance) what is
    // created below it.
    void openToUsers(const std::u16string& path);
    // Every user may make files and folders in it, as in a drive's root (Access::UsersMayAdd).
    void letUsersAdd(const std::u16string& path);
    // True when the folder carries a protected access list of its own.
    bool hasProtectedList(const std::u16string& path) const;

private:
    FakeFileSystem& files_;
};

}  // namespace fake
