// Failure injection shared by every fake: each fake call asks the plan whether it fails, so a
// test can fail call N of a whole installation, or every call of one operation, and read back
// the order of the calls that were made.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace fake {

class FaultPlan {
public:
    // Counts and records the call; true when it must fail.
    bool shouldFail(const std::string& operation, const std::string& detail = {});

    void failCallNumber(int n) { failAt_ = n; }
    // Fails the nth call (1-based) of an operation, or every call when nth is 0.
    void failOperation(const std::string& operation, int nth = 0) { byName_[operation] = nth; }
    void clear();

    // Called as each call is made, before it acts or fails, with the call's line already last in
    // the trace: lets a test act at call N (cancel a worker, swap a folder for a link).
    std::function<void(int call, const std::string& operation)> onCall;

    int calls() const { return calls_; }
    const std::vector<std::string>& trace() const { return trace_; }
    // True when at least one injected failure happened since the last clear.
    bool injected() const { return injected_; }

private:
    // The window thread and a worker thread may both call fakes; onCall may call fakes again.
    std::recursive_mutex mutex_;
    int calls_ = 0;
    int failAt_ = 0;
    bool injected_ = false;
    std::map<std::string, int> byName_;
    std::map<std::string, int> seen_;
    std::vector<std::string> trace_;
};

FaultPlan& faults();

}  // namespace fake
