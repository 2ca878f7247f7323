#include "platform/fake/FakeMachineLocks.h"

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {

class FakeLock : public platform::MachineLock {
public:
    FakeLock(std::set<std::u16string>& held, std::u16string name)
        : held_(held), name_(std::move(name)) {
        held_.insert(name_);
    }
    ~FakeLock() override { held_.erase(name_); }

private:
    std::set<std::u16string>& held_;
    std::u16string name_;
};

}  // namespace

platform::LockAttempt FakeMachineLocks::hold(const char16_t* name, std::uint32_t waitMs) {
    std::u16string key(name);
    waits.push_back({key, waitMs});
    platform::LockAttempt attempt;
    if (faults().shouldFail("holdMachineLock", utf16ToUtf8(key))) {
        attempt.call = "CreateMutexW";
        attempt.error = 5;
        return attempt;
    }
    if (foreign.count(key)) {
        attempt.outcome = platform::LockOutcome::Foreign;
        return attempt;
    }
    auto other = heldElsewhere.find(key);
    if (held.count(key) || (other != heldElsewhere.end() && other->second > waitMs)) {
        attempt.outcome = platform::LockOutcome::Busy;
        return attempt;
    }
    if (other != heldElsewhere.end()) heldElsewhere.erase(other);
    attempt.outcome = platform::LockOutcome::Held;
    attempt.lock = std::make_unique<FakeLock>(held, key);
    return attempt;
}

}  // namespace fake
