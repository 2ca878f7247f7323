// The install worker on a real thread while the window thread cancels it, as the Close action
// does: at many different moments, the machine ends either as it was or installed with a log
// that removes everything again. Built with ThreadSanitizer, which reports any unordered access
// to what the two threads share.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/posix/PosixThreads.h"
#include "tests/support/InstallHarness.h"

using namespace testpkg;

namespace {

// Busy work the compiler cannot drop: moves the cancel a little further into the run.
void spinFor(int turns) {
    std::atomic<int> counter{0};
    while (counter.fetch_add(1, std::memory_order_relaxed) < turns) {
    }
}

// The wizard window as the worker sees it: a synchronous channel, like SendMessageW. The worker
// waits in send() until the window thread has taken the message.
struct SynchronousWindow : platform::StatusChannel {
    std::atomic<int> sent{0};
    std::atomic<int> taken{0};
    std::atomic<bool> done{false};
    void send(std::uint32_t code, const char16_t*) override {
        int mine = ++sent;
        if (code == ST_WORKER_DONE) done = true;
        while (taken.load() < mine) std::this_thread::yield();
    }
    // On the window thread: takes the next message, if one waits. False when none does.
    bool takeOne() {
        if (taken.load() >= sent.load()) return false;
        ++taken;
        return true;
    }
};

struct RaceRun {
    InstallHarness h;
    posix::PosixThreads threads;
    SynchronousWindow window;
    MachineSnapshot before;

    RaceRun() {
        platform::os().threads = &threads;
        h.parameter.window = &window;
        before = h.machine.snapshot();
    }

    // Starts the worker and serves its messages; once `messages` were taken and `spins` more
    // loop turns passed, cancels it from this thread as the Close action does, serves the
    // rollback's messages and waits for the thread. True when the installation finished.
    bool installCancellingAt(int messages, int spins) {
        startInstallWorker(h.package.config, h.parameter);
        bool cancelled = false;
        while (!(window.done.load() && window.taken.load() == window.sent.load())) {
            if (!window.takeOne()) {
                std::this_thread::yield();
                continue;
            }
            if (!cancelled && window.taken.load() >= messages) {
                spinFor(spins);
                h.package.config.running = false;
                cancelled = true;
            }
        }
        h.package.config.workerThread->wait();
        h.package.config.workerThread.reset();
        return h.package.config.completed;
    }

    void expectNothingLeftBehind(bool finished, const std::string& where) {
        platform::os().threads = &h.machine.threads;
        fake::faults().clear();
        if (finished) {
            ASSERT_TRUE(h.machine.files.hasFile(kLogPath)) << where;
            EXPECT_TRUE(h.uninstall()) << where;
        }
        MachineSnapshot after = h.machine.snapshot();
        EXPECT_TRUE(after == before) << where << "\n" << describeDifference(before, after);
    }
};

int messagesOfAWholeInstallation() {
    RaceRun run;
    run.installCancellingAt(1 << 30, 0);
    EXPECT_TRUE(run.window.done.load());
    return run.window.sent.load();
}

}  // namespace

TEST(WorkerRace, CancelFromTheWindowThreadAtManyMoments) {
    const int total = messagesOfAWholeInstallation();
    ASSERT_GT(total, 52);  // one message per copied file at least
    int rolledBack = 0, finished = 0;
    for (int k = 0; k <= total; ++k) {
        for (int spins : {0, 2000}) {
            RaceRun run;
            bool done = run.installCancellingAt(k, spins);
            (done ? finished : rolledBack)++;
            run.expectNothingLeftBehind(done, "cancelled after message " + std::to_string(k) +
                                                  " + " + std::to_string(spins) + " spins" +
                                                  (done ? " (finished)" : ""));
            if (HasFailure()) return;
        }
    }
    // Both outcomes must have been reached, or the moments did not spread over the run.
    EXPECT_GT(rolledBack, total);
    EXPECT_GT(finished, 0);
    RecordProperty("cancel_moments", 2 * (total + 1));
}

TEST(WorkerRace, CancelRightAfterTheStart) {
    RaceRun run;
    bool done = run.installCancellingAt(0, 0);
    run.expectNothingLeftBehind(done, "cancelled at once");
}
