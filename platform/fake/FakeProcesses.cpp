#include "platform/fake/FakeProcesses.h"

#include <algorithm>

#include "common/Text.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

using platform::OsHandle;
using platform::WaitResult;

namespace {
std::u16string folded(std::u16string_view text) {
    std::u16string k(text);
    std::transform(k.begin(), k.end(), k.begin(), asciiLower);
    return k;
}
}  // namespace

FakeProcesses::FakeProcesses(FakeClock* clock, FakeFileSystem* files)
    : ownClock_(clock ? nullptr : std::make_unique<FakeClock>()),
      clock_(clock ? clock : ownClock_.get()),
      files_(files) {}

std::u16string FakeProcesses::programOf(std::u16string_view commandLine) {
    if (!commandLine.empty() && commandLine[0] == u'"') {
        std::size_t close = commandLine.find(u'"', 1);
        std::size_t n = close == std::u16string_view::npos ? std::u16string_view::npos : close - 1;
        return std::u16string(commandLine.substr(1, n));
    }
    return std::u16string(commandLine.substr(0, commandLine.find(u' ')));
}

OsHandle FakeProcesses::newHandle(Kind kind, std::uint32_t id) {
    std::uintptr_t h = nextHandle_;
    nextHandle_ += 4;
    handles_[h] = Handle{kind, id};
    return reinterpret_cast<OsHandle>(h);
}

FakeProcesses::Process* FakeProcesses::processOf(OsHandle handle, Kind kind) {
    auto it = handles_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == handles_.end() || it->second.kind != kind) return nullptr;
    return find(it->second.id);
}

FakeProcesses::Behaviour FakeProcesses::behaviourOf(const std::u16string& program) const {
    auto known = programs_.find(folded(program));
    return known != programs_.end() ? known->second : Behaviour{};
}

FakeProcesses::Process& FakeProcesses::spawn(const std::u16string& program, const Behaviour& b,
                                             std::uint32_t parent, int job) {
    Process& p = processes_[nextId_];
    p.id = nextId_;
    nextId_ += 4;
    p.parent = parent;
    const Process* starter = parent ? find(parent) : nullptr;
    p.account = starter ? starter->account : thisAccount;
    p.image = b.image.empty() ? program : b.image;
    p.suspended = true;
    p.runsForMs = b.runsForMs;
    p.exitsWith = b.exitCode;
    p.windows = b.windows;
    p.closesOnRequest = b.closesOnRequest;
    p.closeTakesMs = b.closeTakesMs;
    p.children = b.children;
    p.output = b.output;
    p.job = job;
    return p;
}

// The process starts running: its clock starts and it starts its own children, which land in
// whatever job it is in at this moment.
void FakeProcesses::run(Process& p) {
    p.suspended = false;
    p.startedAt = now();
    std::uint32_t id = p.id;
    int job = p.job;
    std::vector<std::u16string> children = p.children;
    for (const auto& child : children) run(spawn(child, behaviourOf(child), id, job));
}

void FakeProcesses::end(Process& p, std::uint32_t code, bool terminated) {
    p.running = false;
    p.exitCode = code;
    p.terminated = terminated;
}

void FakeProcesses::settle() {
    for (auto& entry : processes_) {
        Process& p = entry.second;
        if (!p.running || p.suspended || p.runsForMs < 0) continue;
        if (std::int64_t(now() - p.startedAt) >= p.runsForMs) end(p, p.exitsWith, false);
    }
}

bool FakeProcesses::create(const char16_t* commandLine, const char16_t* workingFolder,
                           bool suspended, platform::StartedProcess& started) {
    std::u16string line(commandLine ? commandLine : u"");
    std::u16string folder(workingFolder ? workingFolder : u"");
    std::string detail = utf16ToUtf8(line) + (suspended ? " (suspended)" : "");
    if (faults().shouldFail("createProcess", detail)) return false;
    std::u16string program = programOf(line);
    if (files_ && (!files_->hasFile(program) || !files_->hasFolder(folder))) return false;
    Process& p = spawn(program, behaviourOf(program), 0, 0);
    p.commandLine = line;
    p.workingFolder = folder;
    p.createdSuspended = suspended;
    if (!suspended) run(p);
    started.id = p.id;
    started.process = newHandle(Kind::Process, p.id);
    started.thread = newHandle(Kind::Thread, p.id);
    return true;
}

bool FakeProcesses::createNative(const char16_t* commandLine, const char16_t* workingFolder,
                                 bool suspended, platform::StartedProcess& started) {
    if (faults().shouldFail("disableRedirection")) {
        return create(commandLine, workingFolder, suspended, started);
    }
    if (!create(commandLine, workingFolder, suspended, started)) return false;
    find(started.id)->native = true;
    return true;
}

OsHandle FakeProcesses::createOutputSink() {
    if (faults().shouldFail("createOutputSink")) return nullptr;
    return newHandle(Kind::Sink, nextSink_++);
}

bool FakeProcesses::createWithOutput(const char16_t* commandLine, const char16_t* workingFolder,
                                     bool suspended, bool native, OsHandle sink,
                                     platform::StartedProcess& started) {
    bool created = native ? createNative(commandLine, workingFolder, suspended, started)
                          : create(commandLine, workingFolder, suspended, started);
    auto h = handles_.find(reinterpret_cast<std::uintptr_t>(sink));
    if (created && h != handles_.end() && h->second.kind == Kind::Sink) {
        find(started.id)->sink = h->second.id;
    }
    return created;
}

bool FakeProcesses::readOutput(OsHandle sink, std::size_t limit, std::string& text,
                               std::uint64_t& dropped) {
    text.clear();
    dropped = 0;
    auto h = handles_.find(reinterpret_cast<std::uintptr_t>(sink));
    if (h == handles_.end() || h->second.kind != Kind::Sink) return false;
    std::string all;
    for (const auto& [id, p] : processes_) {
        if (p.sink == h->second.id && !p.suspended) all += p.output;
    }
    dropped = all.size() > limit ? all.size() - limit : 0;
    text = all.substr(std::size_t(dropped));
    return true;
}

bool FakeProcesses::ownerOf(OsHandle process, platform::ProcessOwner& owner) {
    Process* p = processOf(process, Kind::Process);
    if (faults().shouldFail("ownerOf", p ? utf16ToUtf8(p->image) : "") || !p) return false;
    owner.account = p->account;
    owner.isLocalSystem = p->account == kLocalSystem;
    owner.isThisAccount = p->account == thisAccount;
    owner.token = newHandle(Kind::Token, p->id);
    return true;
}

bool FakeProcesses::createAsUser(OsHandle token, const char16_t* commandLine,
                                 const char16_t* workingFolder, platform::StartedProcess& started) {
    auto it = handles_.find(reinterpret_cast<std::uintptr_t>(token));
    if (faults().shouldFail("createAsUser") || it == handles_.end() ||
        it->second.kind != Kind::Token || !find(it->second.id)) {
        return false;
    }
    std::u16string account = find(it->second.id)->account;
    std::u16string saved = thisAccount;
    thisAccount = account;
    bool made = create(commandLine, workingFolder, false, started);
    thisAccount = saved;
    if (made) find(started.id)->startedAsUser = true;
    return made;
}

bool FakeProcesses::resume(OsHandle thread) {
    if (faults().shouldFail("resume")) return false;
    Process* p = processOf(thread, Kind::Thread);
    if (!p) return false;
    if (p->running && p->suspended) run(*p);
    return true;
}

WaitResult FakeProcesses::wait(OsHandle process, std::uint32_t ms) {
    Process* p = processOf(process, Kind::Process);
    std::string detail = std::to_string(p ? p->id : 0) + " " + std::to_string(ms);
    if (faults().shouldFail("wait", detail) || !p) return WaitResult::Failed;
    settle();
    if (!p->running) return WaitResult::Ended;
    std::uint32_t step = ms;
    if (!p->suspended && p->runsForMs >= 0) {
        std::int64_t left = p->runsForMs - std::int64_t(now() - p->startedAt);
        if (left <= std::int64_t(ms)) step = std::uint32_t(left);
    }
    clock_->advance(step);
    settle();
    return p->running ? WaitResult::TimedOut : WaitResult::Ended;
}

bool FakeProcesses::terminate(OsHandle process, std::uint32_t code) {
    Process* p = processOf(process, Kind::Process);
    if (faults().shouldFail("terminate", std::to_string(p ? p->id : 0)) || !p) return false;
    settle();
    if (!p->running) return false;
    end(*p, code, true);
    return true;
}

bool FakeProcesses::exitCode(OsHandle process, std::uint32_t& code) {
    Process* p = processOf(process, Kind::Process);
    if (faults().shouldFail("exitCode") || !p) return false;
    settle();
    code = p->exitCode;
    return true;
}

void FakeProcesses::close(OsHandle handle) {
    faults().shouldFail("closeHandle");
    auto it = handles_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == handles_.end()) return;
    Handle h = it->second;
    handles_.erase(it);
    if (h.kind != Kind::Job) return;
    for (const auto& [k, other] : handles_) {
        if (other.kind == Kind::Job && other.id == h.id) return;
    }
    // The last handle of the job is gone.
    settle();
    if (jobs_[int(h.id)].killOnClose) {
        for (auto& entry : processes_) {
            if (entry.second.job == int(h.id) && entry.second.running) end(entry.second, 0, true);
        }
    }
    jobs_.erase(int(h.id));
}

OsHandle FakeProcesses::createKillOnCloseJob() {
    if (faults().shouldFail("createJob")) return nullptr;
    int id = nextJob_++;
    jobs_[id] = Job{};
    return newHandle(Kind::Job, std::uint32_t(id));
}

bool FakeProcesses::assignToJob(OsHandle job, OsHandle process) {
    if (faults().shouldFail("assignToJob")) return false;
    auto j = handles_.find(reinterpret_cast<std::uintptr_t>(job));
    Process* p = processOf(process, Kind::Process);
    if (j == handles_.end() || j->second.kind != Kind::Job || !p || !p->running) return false;
    p->job = int(j->second.id);
    return true;
}

bool FakeProcesses::releaseJob(OsHandle job) {
    if (faults().shouldFail("releaseJob")) return false;
    auto j = handles_.find(reinterpret_cast<std::uintptr_t>(job));
    if (j == handles_.end() || j->second.kind != Kind::Job) return false;
    jobs_[int(j->second.id)].killOnClose = false;
    return true;
}

bool FakeProcesses::listProcesses(std::vector<platform::ProcessEntry>& entries) {
    entries.clear();
    if (faults().shouldFail("listProcesses")) return false;
    settle();
    for (const auto& [id, p] : processes_) {
        if (p.running) entries.push_back({id, std::u16string(fileNameOf(p.image))});
    }
    return true;
}

OsHandle FakeProcesses::open(std::uint32_t id) {
    if (faults().shouldFail("openProcess", std::to_string(id))) return nullptr;
    settle();
    Process* p = find(id);
    if (!p || !p->running || !p->openable) return nullptr;
    return newHandle(Kind::Process, id);
}

bool FakeProcesses::imagePath(OsHandle process, std::u16string& path) {
    Process* p = processOf(process, Kind::Process);
    if (faults().shouldFail("imagePath", std::to_string(p ? p->id : 0)) || !p) return false;
    path = p->image;
    return true;
}

int FakeProcesses::postCloseToWindows(std::uint32_t id) {
    if (faults().shouldFail("postClose", std::to_string(id))) return 0;
    settle();
    Process* p = find(id);
    if (!p || !p->running || p->windows == 0) return 0;
    p->closeRequests += p->windows;
    if (p->closesOnRequest && !p->suspended) {
        p->runsForMs = std::int64_t(now() - p->startedAt) + p->closeTakesMs;
        p->exitsWith = 0;
    }
    return p->windows;
}

void FakeProcesses::program(const std::u16string& path, Behaviour behaviour) {
    programs_[folded(path)] = std::move(behaviour);
}

FakeProcesses::Process& FakeProcesses::addRunning(const std::u16string& image) {
    Behaviour hangs;
    hangs.runsForMs = kHangs;
    return addRunning(image, hangs);
}

FakeProcesses::Process& FakeProcesses::addRunning(const std::u16string& image,
                                                  const Behaviour& behaviour) {
    Process& p = spawn(image, behaviour, 0, 0);
    run(p);
    return p;
}

FakeProcesses::Process* FakeProcesses::find(std::uint32_t id) {
    auto it = processes_.find(id);
    return it == processes_.end() ? nullptr : &it->second;
}

std::vector<const FakeProcesses::Process*> FakeProcesses::all() const {
    std::vector<const Process*> out;
    for (const auto& [id, p] : processes_) out.push_back(&p);
    return out;
}

int FakeProcesses::runningWithImage(const std::u16string& image) {
    settle();
    int n = 0;
    for (const auto& [id, p] : processes_) n += p.running && p.image == image;
    return n;
}

}  // namespace fake
