// Machine-wide locks in memory: the test says which names another process holds and for how
// long, or which were made by another account; what this process holds is recorded.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/MachineLock.h"

namespace fake {

class FakeMachineLocks : public platform::MachineLocks {
public:
    platform::LockAttempt hold(const char16_t* name, std::uint32_t waitMs) override;

    static constexpr std::uint32_t kForever = 0xFFFFFFFF;
    // Another process holds the name and lets go after that many milliseconds of waiting.
    std::map<std::u16string, std::uint32_t> heldElsewhere;
    std::set<std::u16string> foreign;  // made first by another account
    std::set<std::u16string> held;     // held by this process now
    struct Wait {
        std::u16string name;
        std::uint32_t waitMs;
    };
    std::vector<Wait> waits;  // every attempt, in order
};

}  // namespace fake
