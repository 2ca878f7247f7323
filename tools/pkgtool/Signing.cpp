#include "tools/pkgtool/Signing.h"

#ifdef _WIN32

bool signingAvailable(std::string& cause) {
    cause =
        "--sign needs osslsigncode, which pkgtool.exe does not run; make the setup without "
        "--sign and sign it with signtool, or use the Linux pkgtool";
    return false;
}

bool signExecutable(const std::string&, const std::string&, const std::string&, const std::string&,
                    std::string& cause) {
    return signingAvailable(cause);
}

#else

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <vector>

extern char** environ;

bool signingAvailable(std::string&) {
    return true;
}

bool signExecutable(const std::string& input, const std::string& output,
                    const std::string& certificate, const std::string& key, std::string& cause) {
    std::vector<std::string> args = {"osslsigncode", "sign", "-certs", certificate,
                                     "-key",         key,    "-h",     "sha256"};
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        args.insert(args.end(), {"-time", epoch});
    }
    args.insert(args.end(), {"-in", input, "-out", output});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // Its "Succeeded" would mix with pkgtool's own output; its errors go to stderr.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, "osslsigncode", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        cause = "cannot run osslsigncode (install Debian's osslsigncode package)";
        return false;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        cause = "osslsigncode could not sign the setup (its messages are above)";
        return false;
    }
    return true;
}

#endif
