#include "tests/support/FakeMachine.h"

#include "common/Text.h"

namespace testpkg {

FakeMachine::FakeMachine() : saved_(platform::os()) {
    platform::Platform& os = platform::os();
    os.files = &files;
    os.registry = &registry;
    os.services = &services;
    os.processes = &processes;
    os.shell = &shell;
    os.system = &system;
    os.clock = &clock;
    os.threads = &threads;
    os.security = &security;
    os.locks = &locks;
    os.resources = &resources;
    fake::faults().clear();
}

FakeMachine::~FakeMachine() {
    platform::os() = saved_;
    fake::faults().clear();
}

MachineSnapshot FakeMachine::snapshot() {
    MachineSnapshot s;
    s.files = files.snapshot();
    s.registry = registry.snapshot();
    for (const auto& [key, service] : services.table()) {
        s.services[key] =
            service.binaryPath + u" | " + service.description + u" | " + service.owner;
    }
    for (const auto* p : processes.all()) {
        if (p->running) s.runningPrograms.push_back(p->image);
    }
    return s;
}

namespace {

template <typename Map, typename Show>
void diffMaps(const char* what, const Map& a, const Map& b, Show show, std::string& out) {
    for (const auto& [k, v] : a) {
        auto it = b.find(k);
        if (it == b.end()) {
            out += std::string("  ") + what + " gone: " + utf16ToUtf8(k) + "\n";
        } else if (!(it->second == v)) {
            out += std::string("  ") + what + " changed: " + utf16ToUtf8(k) + " " +
                   show(it->second) + "\n";
        }
    }
    for (const auto& [k, v] : b) {
        if (!a.count(k))
            out += std::string("  ") + what + " added: " + utf16ToUtf8(k) + " " + show(v) + "\n";
    }
}

}  // namespace

std::string describeDifference(const MachineSnapshot& before, const MachineSnapshot& after) {
    std::string out;
    diffMaps(
        "file", before.files, after.files,
        [](const fake::FakeFileSystem::Node& n) {
            return n.isDirectory ? std::string("(folder)")
                                 : std::to_string(n.bytes.size()) + " bytes";
        },
        out);
    diffMaps(
        "key", before.registry, after.registry,
        [](const auto& values) { return std::to_string(values.size()) + " values"; }, out);
    diffMaps(
        "service", before.services, after.services,
        [](const std::u16string& v) { return utf16ToUtf8(v); }, out);
    if (before.runningPrograms != after.runningPrograms) {
        out += "  running programs:";
        for (const auto& p : after.runningPrograms) out += " " + utf16ToUtf8(p);
        out += "\n";
    }
    return out;
}

void StatusRecorder::send(std::uint32_t code, const char16_t* text) {
    Message m{code, text ? std::u16string(viewOf(text)) : std::u16string(), text != nullptr};
    messages.push_back(m);
    if (onMessage) onMessage(m);
}

std::vector<std::uint32_t> StatusRecorder::codes() const {
    std::vector<std::uint32_t> out;
    for (const auto& m : messages) out.push_back(m.code);
    return out;
}

int StatusRecorder::count(std::uint32_t code) const {
    int n = 0;
    for (const auto& m : messages) n += m.code == code;
    return n;
}

}  // namespace testpkg
