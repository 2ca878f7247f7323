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
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

bool runOsslsigncode(std::vector<std::string> args, std::string& cause) {
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

// The password from the environment, written where only this user can read it, for as long as
// osslsigncode needs it.
class PasswordFile {
public:
    ~PasswordFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
        if (!folder_.empty()) ::rmdir(folder_.c_str());
    }
    bool write(const char* password) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pkgtool-pfx-XXXXXX";
        if (!::mkdtemp(pattern.data())) return false;
        folder_ = pattern;
        path_ = folder_ + "/password";
        int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
        if (fd < 0) return false;
        std::size_t length = std::strlen(password);
        bool written = ::write(fd, password, length) == ssize_t(length);
        return ::close(fd) == 0 && written;
    }
    const std::string& path() const { return path_; }

private:
    std::string folder_, path_;
};

}  // namespace

bool signingAvailable(std::string&) {
    return true;
}

bool signExecutable(const std::string& input, const std::string& output,
                    const SigningOptions& options, std::string& cause) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    PasswordFile fromEnvironment;
    std::string passwordFile = options.passwordFile;
    if (!options.pfx.empty() && passwordFile.empty()) {
        const char* password = std::getenv("PKGTOOL_PFX_PASSWORD");
        if (!password) {
            cause =
                "--sign-pfx needs the file's password: give --password-file FILE or set "
                "PKGTOOL_PFX_PASSWORD";
            return false;
        }
        if (!fromEnvironment.write(password)) {
            cause = "cannot keep the PKCS#12 password in a private temporary file";
            return false;
        }
        passwordFile = fromEnvironment.path();
    }
    return runOsslsigncode(
        signingArguments(options, passwordFile, epoch ? epoch : "", input, output), cause);
}

#endif
