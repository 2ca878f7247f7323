#include "platform/posix/PosixProcesses.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/posix/PosixFileSystem.h"

namespace posix {

namespace {

constexpr std::uint32_t kStillActive = 259;

struct Handle {
    enum class Kind { Process, Thread, Job } kind;
    pid_t pid = 0;      // process and thread
    int resumeFd = -1;  // thread of a suspended process
    pid_t group = 0;    // job: its process group, once it has a member
    bool killOnClose = true;
};

Handle* handleOf(platform::OsHandle h, Handle::Kind kind) {
    auto* handle = static_cast<Handle*>(h);
    return handle && handle->kind == kind ? handle : nullptr;
}

// Splits a Windows-style command line into the program and its arguments.
std::vector<std::string> splitCommandLine(std::u16string_view line) {
    std::vector<std::string> parts;
    std::u16string current;
    bool quoted = false;
    bool any = false;
    for (char16_t c : line) {
        if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (c == u' ' && !quoted) {
            if (any || !current.empty()) parts.push_back(utf16ToUtf8(current));
            current.clear();
            any = false;
        } else {
            current.push_back(c);
        }
    }
    if (any || !current.empty()) parts.push_back(utf16ToUtf8(current));
    return parts;
}

void sleepMs(long ms) {
    timespec t{0, ms * 1000000L};
    nanosleep(&t, nullptr);
}

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool PosixProcesses::create(const char16_t* commandLine, const char16_t* workingFolder,
                            bool suspended, platform::StartedProcess& started) {
    std::vector<std::string> parts = splitCommandLine(viewOf(commandLine));
    if (parts.empty()) return false;
    std::u16string program = utf8ToUtf16(parts[0]);
    parts[0] = nativePath(program.c_str());
    std::string folder = nativePath(workingFolder);
    // CreateProcessW fails at once for a missing program or folder; so does this.
    if (::access(parts[0].c_str(), X_OK) != 0 || !isFolder(folder)) return false;
    std::vector<char*> argv;
    for (auto& p : parts) argv.push_back(p.data());
    argv.push_back(nullptr);

    int gate[2] = {-1, -1};
    if (suspended && ::pipe2(gate, O_CLOEXEC) != 0) return false;
    pid_t pid = ::fork();
    if (pid < 0) {
        if (suspended) {
            ::close(gate[0]);
            ::close(gate[1]);
        }
        return false;
    }
    if (pid == 0) {
        if (suspended) {
            ::close(gate[1]);
            char go = 0;
            if (::read(gate[0], &go, 1) != 1) _exit(127);
        }
        if (::chdir(folder.c_str()) != 0) _exit(127);
        // A console of its own: nothing it or its children print reaches our streams.
        int nothing = ::open("/dev/null", O_RDWR);
        if (nothing >= 0) {
            ::dup2(nothing, 0);
            ::dup2(nothing, 1);
            ::dup2(nothing, 2);
            if (nothing > 2) ::close(nothing);
        }
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    if (suspended) ::close(gate[0]);
    children_[pid] = -1;
    started.id = std::uint32_t(pid);
    started.process = new Handle{Handle::Kind::Process, pid};
    started.thread = new Handle{Handle::Kind::Thread, pid, suspended ? gate[1] : -1};
    return true;
}

bool PosixProcesses::resume(platform::OsHandle thread) {
    Handle* h = handleOf(thread, Handle::Kind::Thread);
    if (!h) return false;
    if (h->resumeFd < 0) return true;
    char go = 1;
    bool ok = ::write(h->resumeFd, &go, 1) == 1;
    ::close(h->resumeFd);
    h->resumeFd = -1;
    return ok;
}

bool PosixProcesses::ended(pid_t pid) {
    auto child = children_.find(pid);
    if (child != children_.end()) {
        if (child->second != -1) return true;
        int status = 0;
        pid_t got = ::waitpid(pid, &status, WNOHANG);
        if (got == pid) child->second = status;
        return got == pid || got < 0;
    }
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

platform::WaitResult PosixProcesses::wait(platform::OsHandle process, std::uint32_t ms) {
    Handle* h = handleOf(process, Handle::Kind::Process);
    if (!h) return platform::WaitResult::Failed;
    for (std::uint32_t waited = 0;; waited += 2) {
        if (ended(h->pid)) return platform::WaitResult::Ended;
        if (waited >= ms) return platform::WaitResult::TimedOut;
        sleepMs(2);
    }
}

bool PosixProcesses::terminate(platform::OsHandle process, std::uint32_t exitCode) {
    Handle* h = handleOf(process, Handle::Kind::Process);
    if (!h || ended(h->pid)) return false;
    terminatedWith_[h->pid] = exitCode;
    return ::kill(h->pid, SIGKILL) == 0;
}

bool PosixProcesses::exitCode(platform::OsHandle process, std::uint32_t& code) {
    Handle* h = handleOf(process, Handle::Kind::Process);
    if (!h) return false;
    auto child = children_.find(h->pid);
    if (child == children_.end()) return false;
    if (!ended(h->pid)) {
        code = kStillActive;
        return true;
    }
    int status = child->second;
    auto killed = terminatedWith_.find(h->pid);
    if (killed != terminatedWith_.end() && WIFSIGNALED(status)) {
        code = killed->second;
    } else {
        code = WIFEXITED(status) ? std::uint32_t(WEXITSTATUS(status))
                                 : 128u + std::uint32_t(WTERMSIG(status));
    }
    return true;
}

void PosixProcesses::close(platform::OsHandle handle) {
    auto* h = static_cast<Handle*>(handle);
    if (!h) return;
    if (h->kind == Handle::Kind::Thread && h->resumeFd >= 0) ::close(h->resumeFd);
    if (h->kind == Handle::Kind::Job && h->killOnClose && h->group > 0) {
        ::kill(-h->group, SIGKILL);
    }
    if (h->kind == Handle::Kind::Process) ended(h->pid);  // reap if it is done
    delete h;
}

platform::OsHandle PosixProcesses::createKillOnCloseJob() {
    return new Handle{Handle::Kind::Job};
}

bool PosixProcesses::assignToJob(platform::OsHandle job, platform::OsHandle process) {
    Handle* j = handleOf(job, Handle::Kind::Job);
    Handle* p = handleOf(process, Handle::Kind::Process);
    if (!j || !p) return false;
    pid_t group = j->group > 0 ? j->group : p->pid;
    if (::setpgid(p->pid, group) != 0) return false;
    j->group = group;
    return true;
}

bool PosixProcesses::releaseJob(platform::OsHandle job) {
    Handle* j = handleOf(job, Handle::Kind::Job);
    if (!j) return false;
    j->killOnClose = false;
    return true;
}

bool PosixProcesses::listProcesses(std::vector<platform::ProcessEntry>& entries) {
    entries.clear();
    DIR* proc = ::opendir("/proc");
    if (!proc) return false;
    while (dirent* e = ::readdir(proc)) {
        char* end = nullptr;
        unsigned long id = std::strtoul(e->d_name, &end, 10);
        if (id == 0 || *end != 0) continue;
        std::u16string image;
        platform::OsHandle h = open(std::uint32_t(id));
        if (h && imagePath(h, image)) {
            entries.push_back({std::uint32_t(id), std::u16string(fileNameOf(image))});
        }
        close(h);
    }
    ::closedir(proc);
    return true;
}

platform::OsHandle PosixProcesses::open(std::uint32_t id) {
    std::string dir = "/proc/" + std::to_string(id);
    if (!isFolder(dir)) return nullptr;
    return new Handle{Handle::Kind::Process, pid_t(id)};
}

bool PosixProcesses::imagePath(platform::OsHandle process, std::u16string& path) {
    Handle* h = handleOf(process, Handle::Kind::Process);
    if (!h) return false;
    std::string link = "/proc/" + std::to_string(h->pid) + "/exe";
    std::string target(4096, '\0');
    ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n <= 0 || std::size_t(n) >= target.size()) return false;
    target.resize(std::size_t(n));
    path = utf8ToUtf16(target);
    for (char16_t& c : path) {
        if (c == u'/') c = u'\\';
    }
    return true;
}

int PosixProcesses::postCloseToWindows(std::uint32_t id) {
    return ::kill(pid_t(id), SIGTERM) == 0 ? 1 : 0;
}

}  // namespace posix
