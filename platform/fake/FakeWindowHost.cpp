#include "platform/fake/FakeWindowHost.h"

#include "platform/fake/FaultPlan.h"

namespace fake {

bool FakeWindowHost::startTimer(void*, int id, unsigned milliseconds) {
    calls.push_back("start " + std::to_string(id) + " " + std::to_string(milliseconds));
    return !faults().shouldFail("windows.startTimer");
}

void FakeWindowHost::stopTimer(void*, int id) {
    calls.push_back("stop " + std::to_string(id));
}

}  // namespace fake
