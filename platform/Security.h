// Access lists of files and folders, as far as the elevated installer must judge them: whether
// anyone but the system's own principals could have written something, and how to create a
// folder that nobody else can write.
#pragma once

#include "platform/Platform.h"

namespace platform {

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
};

inline Security& security() {
    return *os().security;
}

}  // namespace platform
