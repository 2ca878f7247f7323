#include "tools/pkgtool/Signing.h"

std::vector<std::string> signingArguments(const SigningOptions& options,
                                          const std::string& passwordFile, const std::string& epoch,
                                          const std::string& input, const std::string& output) {
    std::vector<std::string> args = {"osslsigncode", "sign"};
    if (options.pfx.empty()) {
        args.insert(args.end(), {"-certs", options.certificate, "-key", options.key});
    } else {
        args.insert(args.end(), {"-pkcs12", options.pfx, "-readpass", passwordFile});
    }
    args.insert(args.end(), {"-h", "sha256"});
    if (!options.timestampUrl.empty()) args.insert(args.end(), {"-ts", options.timestampUrl});
    if (!epoch.empty()) args.insert(args.end(), {"-time", epoch});
    args.insert(args.end(), {"-in", input, "-out", output});
    return args;
}

#ifdef _WIN32

bool signingAvailable(std::string& cause) {
    cause =
        "--sign needs osslsigncode, which pkgtool.exe does not run; make the setup without "
        "--sign and sign it with signtool, or use the Linux pkgtool";
    return false;
}

bool signExecutable(const std::string&, const std::string&, const SigningOptions&,
                    std::string& cause) {
    return signingAvailable(cause);
}

#else

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace {

// The password goes to osslsigncode's standard input ("-readpass -") through a pipe, and so is
// never on disk: no end of pkgtool, a kill included, can leave it behind. It is written whole
// before osslsigncode starts, so a password longer than the pipe holds is refused instead of
// waiting for a reader.
bool passwordPipe(const std::string& password, int& readEnd, std::string& cause) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        cause = "cannot make a pipe for the PKCS#12 password";
        return false;
    }
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    bool written = ::write(ends[1], password.data(), password.size()) == ssize_t(password.size());
    ::close(ends[1]);
    if (!written) {
        ::close(ends[0]);
        cause = "the PKCS#12 password is longer than a pipe holds";
        return false;
    }
    readEnd = ends[0];
    return true;
}

// `password`, when given, is osslsigncode's standard input.
bool runOsslsigncode(std::vector<std::string> args, const std::string* password,
                     std::string& cause) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int input = -1;
    if (password && !passwordPipe(*password, input, cause)) return false;
    // Its "Succeeded" would mix with pkgtool's own output; its errors go to stderr.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (input >= 0) posix_spawn_file_actions_adddup2(&actions, input, 0);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, "osslsigncode", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (input >= 0) ::close(input);
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

}  // namespace

bool signingAvailable(std::string&) {
    return true;
}

bool signExecutable(const std::string& input, const std::string& output,
                    const SigningOptions& options, std::string& cause) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    std::string passwordFile = options.passwordFile;
    std::string password;
    bool piped = !options.pfx.empty() && passwordFile.empty();
    if (piped) {
        const char* fromEnvironment = std::getenv("PKGTOOL_PFX_PASSWORD");
        if (!fromEnvironment) {
            cause =
                "--sign-pfx needs the file's password: give --password-file FILE or set "
                "PKGTOOL_PFX_PASSWORD";
            return false;
        }
        password = fromEnvironment;
        passwordFile = "-";
    }
    return runOsslsigncode(
        signingArguments(options, passwordFile, epoch ? epoch : "", input, output),
        piped ? &password : nullptr, cause);
}

#endif
