#include "platform/fake/FakeClock.h"

#include <string>

#include "platform/fake/FaultPlan.h"

namespace fake {

// Neither call can fail on Windows; they go through the plan for the call order only.
void FakeClock::sleep(std::uint32_t ms) {
    faults().shouldFail("sleep", std::to_string(ms));
    now_ += ms;
    slept_ += ms;
}

std::uint32_t FakeClock::tickCount() {
    faults().shouldFail("tickCount");
    return now_;
}

}  // namespace fake
