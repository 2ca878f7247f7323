#include "platform/fake/FaultPlan.h"

namespace fake {

bool FaultPlan::shouldFail(const std::string& operation, const std::string& detail) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ++calls_;
    int nth = ++seen_[operation];
    trace_.push_back(detail.empty() ? operation : operation + " " + detail);
    if (onCall) onCall(calls_, operation);
    bool fail = calls_ == failAt_;
    auto it = byName_.find(operation);
    if (it != byName_.end() && (it->second == 0 || it->second == nth)) fail = true;
    if (fail) {
        injected_ = true;
        trace_.back() += " -> injected failure";
    }
    return fail;
}

void FaultPlan::clear() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    calls_ = 0;
    failAt_ = 0;
    injected_ = false;
    byName_.clear();
    seen_.clear();
    trace_.clear();
    onCall = nullptr;
}

FaultPlan& faults() {
    static FaultPlan plan;
    return plan;
}

}  // namespace fake
