#include "platform/posix/PosixXmlFiles.h"

#include <sys/stat.h>
#include <tinyxml.h>

#include <cstdio>
#include <string>

#include "platform/XmlText.h"
#include "platform/posix/PosixFileSystem.h"

namespace posix {

bool PosixXmlFiles::load(const char16_t* path, TiXmlDocument& doc,
                         const platform::XmlLimits& limits, std::string& refusal) {
    std::FILE* file = std::fopen(nativePath(path).c_str(), "rb");
    if (!file) return false;
    // A folder opens for reading here, unlike on Windows, and its size is no byte count.
    struct stat st;
    std::string bytes;
    bool read = ::fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode) &&
                platform::readStream(file, bytes, limits.bytes);
    std::fclose(file);
    return read && platform::parseXmlFile(bytes, doc, limits, refusal);
}

bool PosixXmlFiles::save(const char16_t* path, const TiXmlDocument& doc) {
    // An elevated installer writes this file back: never through a link planted at its name.
    std::string text;
    return platform::printXml(doc, text) && platform::writeXmlText(path, text, false);
}

// Unlinked before it is returned: no name anyone could open or replace.
std::FILE* PosixXmlFiles::scratchStream() {
    return std::tmpfile();
}

}  // namespace posix
