// Authenticode signing of a finished executable with Debian's osslsigncode.
#pragma once

#include <string>
#include <vector>

// What to sign with: a PEM certificate chain and key, or a PKCS#12 file whose password is read
// from a file or from the environment variable PKGTOOL_PFX_PASSWORD; optionally an RFC 3161
// time-stamp server, so the signature outlives the certificate.
struct SigningOptions {
    std::string certificate, key;   // --sign CERT.pem KEY.pem
    std::string pfx, passwordFile;  // --sign-pfx FILE.pfx [--password-file FILE]
    std::string timestampUrl;       // --timestamp URL

    bool wanted() const { return !certificate.empty() || !pfx.empty(); }
};

// False, with the reason, in a build that cannot sign (the Windows one).
bool signingAvailable(std::string& cause);

// osslsigncode's arguments for signing `input` into `output`, SHA-256 digest; `passwordFile` is
// where the PKCS#12 password lies, "-" for osslsigncode's standard input (never the password
// itself: a command line is readable by every user of the machine); `epoch`, when not empty, is the
// signing time, so a reproducible build stays reproducible.
std::vector<std::string> signingArguments(const SigningOptions& options,
                                          const std::string& passwordFile, const std::string& epoch,
                                          const std::string& input, const std::string& output);

// Signs `input` into `output` (a different file). False with `cause` set when osslsigncode is
// missing or fails, or the PKCS#12 password is nowhere; its own messages go to stderr. Not
// available in the Windows build, which says so.
bool signExecutable(const std::string& input, const std::string& output,
                    const SigningOptions& options, std::string& cause);
