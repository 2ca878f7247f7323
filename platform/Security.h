// Access lists of files and folders, as far as the elevated installer must judge them: whether
// anyone but the system's own principals could have written something, and how to create a
// folder that nobody else can write.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace platform {

// Why a folder cannot be used as it stands.
enum class FolderFault {
    None,
    Missing,             // it, or a folder above it, does not exist (or is a file)
    Link,                // it, or a folder above it, is a junction or symbolic link
    ChangeableByOthers,  // someone else could rename, replace or re-permission it
    Unreadable,          // it could not be opened, or its access list not read
};

// Open handles that keep objects in place: while a hold lives, nobody (this process included)
// can rename, move or delete what it holds. Dropping it lets them go.
class Hold {
public:
    virtual ~Hold() = default;
};

// What a judgement found: no fault and the hold, or the fault and the first path at fault.
struct Held {
    FolderFault fault = FolderFault::None;
    std::u16string atFault;
    std::unique_ptr<Hold> hold;
    bool sound() const { return fault == FolderFault::None; }
};

class Security {
public:
    virtual ~Security() = default;
    // True when the owner of the file or folder at `path`, and every principal an access list
    // entry that applies to the object itself lets write, append, delete, change the access list
    // or take ownership, is SYSTEM, Administrators, TrustedInstaller or the account running this
    // process. False when the object or its access list cannot be read, when it has no access
    // list (everyone may do everything), and for a link (the object is opened itself, never what
    // a link leads to).
    virtual bool isWritableOnlyByTrusted(const char16_t* path) = 0;
    // Creates one folder level with a protected access list: Administrators and SYSTEM full
    // control, Users read and execute, all inherited by what is created inside, and nothing
    // inherited from the folder above. The list is given at creation, so there is no moment in
    // which anyone else could write the folder.
    virtual bool createProtectedFolder(const char16_t* path) = 0;
    // Gives the file at base\relative (plain names below a trusted `base`, each opened itself
    // and checked to be the object at that name: never a link, on the way or at the name, nor a
    // folder or a file with a second name) the protected list of createProtectedFolder, so that
    // nobody else can change it. Its owner stays: a file someone else made stays theirs, and
    // isWritableOnlyByTrusted says so.
    virtual bool protectFileBelow(const char16_t* base, const char16_t* relative) = 0;

    // The folder at `path` (a drive and plain names: "C:\", "C:\Program Files\Co") and every
    // folder above it up to the drive's root, each opened itself from the root down (a link is
    // never followed: it is a fault) and judged through that handle: its owner, and every
    // principal an access list entry that applies to it lets delete it, delete what it holds,
    // change its access list or take ownership, must be SYSTEM, Administrators,
    // TrustedInstaller or this process's account. Then nobody else can rename, move or replace
    // any folder on the way to `path`, now or later. Adding to a folder is no fault: a drive's
    // root lets every user make folders in it. Each handle is opened without sharing deletion
    // and kept in the hold, so that the folders stay what was judged until the work in them is
    // done.
    virtual Held holdFolderChain(const char16_t* path) = 0;
    // A file below a held folder, named by plain names joined by backslashes: each folder on the
    // way and the file itself are opened themselves (no link), judged writable only by trusted
    // principals (isWritableOnlyByTrusted), and kept open; the file without sharing writes or
    // deletion, so that what runs or is read from it is what was judged.
    virtual Held holdTrustedFile(const char16_t* base, const char16_t* relative) = 0;
};

inline Security& security() {
    return *os().security;
}

}  // namespace platform
