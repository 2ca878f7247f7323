#include "platform/fake/FakeSystem.h"

#include <thread>

#include "platform/fake/FaultPlan.h"

namespace fake {

bool FakeSystemInfo::enableDebugPrivilege() {
    if (faults().shouldFail("enableDebugPrivilege")) return false;
    privilegeEnabled = true;
    return true;
}

std::uint16_t FakeSystemInfo::nativeArchitecture() {
    faults().shouldFail("nativeArchitecture");
    return architecture;
}

int FakeSystemInfo::monitorCount() {
    if (faults().shouldFail("monitorCount")) return 0;
    return monitors;
}

namespace {
class FakeThreadHandle : public platform::ThreadHandle {
public:
    explicit FakeThreadHandle(std::function<void()> body, bool runInline) {
        if (runInline) {
            body();
        } else {
            thread_ = std::thread(std::move(body));
        }
    }
    ~FakeThreadHandle() override {
        if (thread_.joinable()) thread_.detach();
    }
    void wait() override {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};
}  // namespace

std::unique_ptr<platform::ThreadHandle> FakeThreads::start(std::function<void()> body) {
    if (faults().shouldFail("startThread")) return nullptr;
    ++started;
    return std::make_unique<FakeThreadHandle>(std::move(body), runInline);
}

}  // namespace fake
