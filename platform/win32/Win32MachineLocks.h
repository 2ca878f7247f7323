// Machine-wide named locks: mutexes in the global namespace.
#pragma once

#include "platform/MachineLock.h"

namespace win32 {

class Win32MachineLocks : public platform::MachineLocks {
public:
    platform::LockAttempt hold(const char16_t* name, std::uint32_t waitMs) override;
};

}  // namespace win32
