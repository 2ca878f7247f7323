// std::thread for the native tools: a dropped handle detaches, as closing a Windows handle does.
#pragma once

#include "platform/Threads.h"

namespace posix {

class PosixThreads : public platform::Threads {
public:
    std::unique_ptr<platform::ThreadHandle> start(std::function<void()> body) override;
};

}  // namespace posix
