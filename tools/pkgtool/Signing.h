// Authenticode signing of a finished executable with Debian's osslsigncode.
#pragma once

#include <string>

// False, with the reason, in a build that cannot sign (the Windows one).
bool signingAvailable(std::string& cause);

// Signs `input` into `output` (a different file) with the PEM certificate chain and key, SHA-256
// digest. SOURCE_DATE_EPOCH, when set, is the signing time, so a reproducible build stays
// reproducible. False with `cause` set when osslsigncode is missing or fails; its own messages
// go to stderr. Not available in the Windows build, which says so.
bool signExecutable(const std::string& input, const std::string& output,
                    const std::string& certificate, const std::string& key, std::string& cause);
