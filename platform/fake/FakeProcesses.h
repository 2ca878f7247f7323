// A process table on the fake clock. Programs get a scripted behaviour by path: how long they
// run (or that they hang until ended), their exit code, their top-level windows and whether
// those close on request, and the programs they start themselves. Children join their parent's
// job, so a job that is closed with its kill limit ends the whole tree, while terminating one
// process leaves its children running, as on Windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Processes.h"
#include "platform/fake/FakeClock.h"

namespace fake {

class FakeFileSystem;

class FakeProcesses : public platform::Processes {
public:
    static constexpr std::uint32_t kStillActive = 259;
    static constexpr std::int64_t kHangs = -1;

    // The defaults describe a program that ends at once with exit code 0 and has no windows.
    struct Behaviour {
        std::int64_t runsForMs = 0;  // from its start; kHangs: until it is ended
        std::uint32_t exitCode = 0;
        int windows = 0;
        bool closesOnRequest = true;  // ends when its windows are asked to close
        std::uint32_t closeTakesMs = 0;
        std::vector<std::u16string> children;  // programs it starts as soon as it runs
        std::u16string image;                  // image path when not the program itself
        std::string output;                    // what it writes to its output once it runs
    };

    struct Process {
        std::uint32_t id = 0;
        std::uint32_t parent = 0;
        std::u16string image;
        std::u16string commandLine;
        std::u16string workingFolder;
        bool createdSuspended = false;
        bool native = false;  // started outside the 32-bit file-system redirection
        bool suspended = false;
        bool running = true;
        bool openable = true;
        std::uint32_t exitCode = kStillActive;  // while it runs
        std::uint32_t exitsWith = 0;            // when it ends by itself
        std::uint32_t startedAt = 0;
        std::int64_t runsForMs = kHangs;
        int windows = 0;
        bool closesOnRequest = true;
        std::uint32_t closeTakesMs = 0;
        int closeRequests = 0;  // windows posted WM_CLOSE and WM_DESTROY
        int job = 0;
        bool terminated = false;  // by TerminateProcess or by its job
        std::vector<std::u16string> children;
        std::string output;
        std::uint32_t sink = 0;  // the output sink it writes to (0: none)
        // Whose it is: the account that started it, or the account of the token it was
        // started with (createAsUser).
        std::u16string account;
        bool startedAsUser = false;
    };

    // The account this process runs as, which every process it starts gets; LocalSystem's
    // name is "NT AUTHORITY\SYSTEM".
    std::u16string thisAccount = u"PC\\admin";
    static constexpr const char16_t* kLocalSystem = u"NT AUTHORITY\\SYSTEM";

    // Waits advance `clock`; without one the table keeps its own.
    explicit FakeProcesses(FakeClock* clock = nullptr, FakeFileSystem* files = nullptr);

    bool create(const char16_t* commandLine, const char16_t* workingFolder, bool suspended,
                platform::StartedProcess& started) override;
    bool createNative(const char16_t* commandLine, const char16_t* workingFolder, bool suspended,
                      platform::StartedProcess& started) override;
    bool resume(platform::OsHandle thread) override;
    platform::WaitResult wait(platform::OsHandle process, std::uint32_t ms) override;
    bool terminate(platform::OsHandle process, std::uint32_t exitCode) override;
    bool exitCode(platform::OsHandle process, std::uint32_t& code) override;
    void close(platform::OsHandle handle) override;
    platform::OsHandle createKillOnCloseJob() override;
    bool assignToJob(platform::OsHandle job, platform::OsHandle process) override;
    bool releaseJob(platform::OsHandle job) override;
    bool listProcesses(std::vector<platform::ProcessEntry>& entries) override;
    platform::OsHandle open(std::uint32_t id) override;
    bool imagePath(platform::OsHandle process, std::u16string& path) override;
    int postCloseToWindows(std::uint32_t id) override;
    platform::OsHandle createOutputSink() override;
    bool createWithOutput(const char16_t* commandLine, const char16_t* workingFolder,
                          bool suspended, bool native, platform::OsHandle sink,
                          platform::StartedProcess& started) override;
    bool readOutput(platform::OsHandle sink, std::size_t limit, std::string& text,
                    std::uint64_t& dropped) override;
    bool ownerOf(platform::OsHandle process, platform::ProcessOwner& owner) override;
    bool createAsUser(platform::OsHandle token, const char16_t* commandLine,
                      const char16_t* workingFolder, platform::StartedProcess& started) override;

    // Direct access for tests (no fault plan, no trace).
    // What the program at `path` (case-insensitive) does when started; unknown programs end at
    // once with exit code 0.
    void program(const std::u16string& path, Behaviour behaviour);
    // A process that is already running, as if started earlier by someone else; without a
    // behaviour it runs until it is ended.
    Process& addRunning(const std::u16string& image, const Behaviour& behaviour);
    Process& addRunning(const std::u16string& image);
    Process* find(std::uint32_t id);
    // Every process ever started or added, oldest first.
    std::vector<const Process*> all() const;
    // Processes of this image path still running (exact comparison).
    int runningWithImage(const std::u16string& image);
    std::size_t openHandles() const { return handles_.size(); }
    // The program a command line starts: the quoted text, or the text up to the first space.
    static std::u16string programOf(std::u16string_view commandLine);

private:
    enum class Kind { Process, Thread, Job, Sink, Token };
    struct Handle {
        Kind kind;
        std::uint32_t id;  // process id or job id
    };
    struct Job {
        bool killOnClose = true;
    };

    std::uint32_t now() const { return clock_->now(); }
    Behaviour behaviourOf(const std::u16string& program) const;
    Process& spawn(const std::u16string& program, const Behaviour& behaviour, std::uint32_t parent,
                   int job);
    void run(Process& p);
    void end(Process& p, std::uint32_t code, bool terminated);
    void settle();
    Process* processOf(platform::OsHandle handle, Kind kind);
    platform::OsHandle newHandle(Kind kind, std::uint32_t id);

    std::unique_ptr<FakeClock> ownClock_;
    FakeClock* clock_;
    FakeFileSystem* files_;
    std::map<std::u16string, Behaviour> programs_;
    std::map<std::uint32_t, Process> processes_;
    std::map<int, Job> jobs_;
    std::map<std::uintptr_t, Handle> handles_;
    std::uint32_t nextId_ = 1000;
    int nextJob_ = 1;
    std::uint32_t nextSink_ = 1;
    std::uintptr_t nextHandle_ = 0x200;
};

}  // namespace fake
