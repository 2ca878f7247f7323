// Named locks that one process on the whole machine holds at a time, whichever session it runs
// in: one installation or removal of a product at a time.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Platform.h"

namespace platform {

// Held until dropped, on the thread that took it.
class MachineLock {
public:
    virtual ~MachineLock() = default;
};

enum class LockOutcome {
    Held,     // taken: `lock` holds it
    Busy,     // another process held it for the whole wait
    Foreign,  // the name is taken by an object another account made: it is not waited for
    Failed,   // a call failed: `call` and `error` say which and why
};

struct LockAttempt {
    LockOutcome outcome = LockOutcome::Failed;
    std::unique_ptr<MachineLock> lock;
    const char* call = "";    // the Windows call that failed
    std::uint32_t error = 0;  // its own error code
};

class MachineLocks {
public:
    virtual ~MachineLocks() = default;
    // CreateMutexW of "Global\<name>" with an access list for SYSTEM and Administrators only,
    // then WaitForSingleObject up to `waitMs` (an abandoned lock, its holder gone, is taken). A
    // lock of that name whose owner is not one of the system's own principals or this account
    // (someone made it first to keep every installation waiting) is Foreign.
    virtual LockAttempt hold(const char16_t* name, std::uint32_t waitMs) = 0;
};

// None in tools that take no such lock.
inline MachineLocks* machineLocks() {
    return os().locks;
}

}  // namespace platform
