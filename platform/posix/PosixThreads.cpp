#include "platform/posix/PosixThreads.h"

#include <thread>

namespace posix {

namespace {
class StdThreadHandle : public platform::ThreadHandle {
public:
    explicit StdThreadHandle(std::function<void()> body) : thread_(std::move(body)) {}
    ~StdThreadHandle() override {
        if (thread_.joinable()) thread_.detach();
    }
    void wait() override {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::thread thread_;
};
}  // namespace

std::unique_ptr<platform::ThreadHandle> PosixThreads::start(std::function<void()> body) {
    return std::make_unique<StdThreadHandle>(std::move(body));
}

}  // namespace posix
