#include "engine/ProductLock.h"

#include <memory>
#include <string>

#include "common/Text.h"
#include "engine/SetupLog.h"
#include "platform/MachineLock.h"

namespace {

std::unique_ptr<platform::MachineLock> heldLock;

}  // namespace

std::u16string productLockName(const ProductIdentity& identity) {
    std::u16string name = u"TouchFrameSetup-";
    for (char16_t c : viewOf(identity.settingsKey)) {
        name.push_back(c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c);
    }
    return name;
}

ProductLockResult lockProduct(const ProductIdentity& identity, std::uint32_t waitSeconds) {
    if (heldLock) return ProductLockResult::Held;
    platform::MachineLocks* locks = platform::machineLocks();
    if (!locks) return ProductLockResult::Unguarded;
    std::u16string name = productLockName(identity);
    platform::LockAttempt attempt = locks->hold(name.c_str(), 0);
    if (attempt.outcome == platform::LockOutcome::Busy && waitSeconds > 0) {
        logEvent(
            "another installation or removal of the product is running; waiting for it, "
            "seconds: " +
            std::to_string(waitSeconds));
        attempt = locks->hold(name.c_str(), waitSeconds * 1000);
    }
    switch (attempt.outcome) {
        case platform::LockOutcome::Held:
            heldLock = std::move(attempt.lock);
            return ProductLockResult::Held;
        case platform::LockOutcome::Busy:
            logEvent(
                "another installation or removal of the product is still running after "
                "seconds: " +
                    std::to_string(waitSeconds),
                name);
            return ProductLockResult::Busy;
        case platform::LockOutcome::Foreign:
            logEvent("the product's lock was made by another account: not waited for", name);
            return ProductLockResult::Unguarded;
        case platform::LockOutcome::Failed:
        default:
            logEvent(std::string("error: the product's lock could not be taken: ") + attempt.call +
                         " (Windows error " + std::to_string(attempt.error) + ")",
                     name);
            return ProductLockResult::Unguarded;
    }
}

void unlockProduct() {
    heldLock.reset();
}

bool productLocked() {
    return heldLock != nullptr;
}
