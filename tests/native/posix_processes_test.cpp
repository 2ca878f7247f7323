#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/Text.h"
#include "engine/ProgramShutdown.h"
#include "engine/RunProgram.h"
#include "platform/Platform.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixProcesses.h"

namespace {

// Real processes in a scratch folder whose name holds a space.
struct PosixMachine {
    posix::PosixClock clock;
    posix::PosixProcesses processes;
    platform::Platform saved = platform::os();
    std::filesystem::path root;
    std::vector<pid_t> leftovers;  // killed at the end whatever the test found

    PosixMachine() {
        platform::os().clock = &clock;
        platform::os().processes = &processes;
        char pattern[] = "/tmp/ts posix XXXXXX";
        root = mkdtemp(pattern);
    }
    ~PosixMachine() {
        for (pid_t pid : leftovers) ::kill(pid, SIGKILL);
        platform::os() = saved;
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::filesystem::path script(const std::string& name, const std::string& body) const {
        std::filesystem::path path = root / name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        ::chmod(path.c_str(), 0755);
        return path;
    }
};

// The engine's spelling of a native path.
std::u16string windowsStyle(const std::filesystem::path& path) {
    std::u16string text = utf8ToUtf16(path.string());
    for (char16_t& c : text) {
        if (c == u'/') c = u'\\';
    }
    return text;
}

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

pid_t pidFrom(const std::filesystem::path& file) {
    for (int i = 0; i < 500; ++i) {
        std::string text = readAll(file);
        if (!text.empty() && text.back() == '\n') return pid_t(std::stol(text));
        usleep(10000);
    }
    return 0;
}

// Running and not a zombie waiting for a parent that may never reap it.
bool alive(pid_t pid) {
    std::string stat = readAll("/proc/" + std::to_string(pid) + "/stat");
    std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

bool aliveAfter(pid_t pid, int ms) {
    for (int waited = 0; waited < ms && alive(pid); waited += 10) usleep(10000);
    return alive(pid);
}

}  // namespace

TEST(PosixRunProgram, ScriptRunsInItsOwnFolderWithItsArguments) {
    PosixMachine m;
    auto script = m.script("trace.sh", "pwd > trace.txt\necho \"$@\" >> trace.txt\nexit 3\n");
    EXPECT_TRUE(runProgram(windowsStyle(script).c_str(), u"-x 1", 10000));
    EXPECT_EQ(readAll(m.root / "trace.txt"), m.root.string() + "\n-x 1\n");
}

TEST(PosixRunProgram, ProcessLayerKeepsTheExitCode) {
    PosixMachine m;
    auto script = m.script("exit.sh", "exit 3\n");
    std::u16string line = u"\"" + windowsStyle(script) + u"\"";
    std::u16string folder = windowsStyle(m.root);
    platform::StartedProcess p;
    ASSERT_TRUE(m.processes.create(line.c_str(), folder.c_str(), false, p));
    EXPECT_EQ(m.processes.wait(p.process, 10000), platform::WaitResult::Ended);
    std::uint32_t code = 0;
    EXPECT_TRUE(m.processes.exitCode(p.process, code));
    EXPECT_EQ(code, 3u);
    m.processes.close(p.thread);
    m.processes.close(p.process);
}

TEST(PosixRunProgram, HungScriptIsEndedWithTheChildItStarted) {
    PosixMachine m;
    auto script =
        m.script("hang.sh", "sleep 1000 &\necho $! > child.pid\necho $$ > script.pid\nwait\n");
    EXPECT_FALSE(runProgram(windowsStyle(script).c_str(), nullptr, 1500));
    pid_t scriptPid = pidFrom(m.root / "script.pid");
    pid_t childPid = pidFrom(m.root / "child.pid");
    m.leftovers = {scriptPid, childPid};
    ASSERT_NE(scriptPid, 0);
    ASSERT_NE(childPid, 0);
    EXPECT_FALSE(aliveAfter(scriptPid, 2000));
    EXPECT_FALSE(aliveAfter(childPid, 2000));
}

TEST(PosixRunProgram, WhatAFinishedScriptStartedRunsOn) {
    PosixMachine m;
    auto script = m.script("detach.sh", "sleep 1000 &\necho $! > child.pid\nexit 0\n");
    EXPECT_TRUE(runProgram(windowsStyle(script).c_str(), nullptr, 10000));
    pid_t childPid = pidFrom(m.root / "child.pid");
    ASSERT_NE(childPid, 0);
    m.leftovers.push_back(childPid);
    EXPECT_TRUE(alive(childPid));
}

TEST(PosixCloseProgram, RunningCopyIsAskedToEnd) {
    PosixMachine m;
    std::filesystem::path sleeper = m.root / "TsSleeper";
    std::filesystem::copy_file("/bin/sleep", sleeper);
    std::filesystem::path other = m.root / "other dir";
    std::filesystem::create_directory(other);
    std::filesystem::copy_file("/bin/sleep", other / "TsSleeper");
    auto running = [&](const std::u16string& image) {
        std::vector<platform::ProcessEntry> entries;
        m.processes.listProcesses(entries);
        std::vector<std::uint32_t> ids;
        for (const auto& e : entries) {
            platform::OsHandle h = m.processes.open(e.id);
            std::u16string path;
            if (e.exeFile == u"TsSleeper" && m.processes.imagePath(h, path) && path == image) {
                ids.push_back(e.id);
            }
            m.processes.close(h);
        }
        return ids;
    };
    ASSERT_TRUE(runProgram(windowsStyle(sleeper).c_str(), u"1000", kNoWait));
    ASSERT_TRUE(runProgram(windowsStyle(other / "TsSleeper").c_str(), u"1000", kNoWait));
    // Both copies must have started (exec'd) before they are looked for, on a busy machine too.
    for (int i = 0; i < 500 && (running(windowsStyle(sleeper)).empty() ||
                                running(windowsStyle(other / "TsSleeper")).empty());
         ++i) {
        usleep(10000);
    }
    for (auto id : running(windowsStyle(sleeper))) m.leftovers.push_back(pid_t(id));
    auto others = running(windowsStyle(other / "TsSleeper"));
    for (auto id : others) m.leftovers.push_back(pid_t(id));
    ASSERT_EQ(running(windowsStyle(sleeper)).size(), 1u);
    ASSERT_EQ(others.size(), 1u);

    std::uint32_t start = m.clock.tickCount();
    EXPECT_TRUE(closeProgram(windowsStyle(sleeper).c_str()));
    EXPECT_LT(m.clock.tickCount() - start, 10000u);
    EXPECT_TRUE(running(windowsStyle(sleeper)).empty());
    EXPECT_TRUE(alive(pid_t(others[0])));
}
