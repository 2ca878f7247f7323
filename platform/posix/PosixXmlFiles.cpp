#include "platform/posix/PosixXmlFiles.h"

#include <sys/stat.h>
#include <tinyxml.h>

#include <cstdio>

#include "platform/posix/PosixFileSystem.h"

namespace posix {

bool PosixXmlFiles::load(const char16_t* path, TiXmlDocument& doc) {
    std::FILE* file = std::fopen(nativePath(path).c_str(), "rb");
    if (!file) return false;
    // A folder opens for reading here, unlike on Windows, and its size is no byte count.
    struct stat st;
    bool loaded = ::fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode) && doc.LoadFile(file);
    std::fclose(file);
    return loaded;
}

bool PosixXmlFiles::save(const char16_t* path, const TiXmlDocument& doc) {
    std::FILE* file = std::fopen(nativePath(path).c_str(), "w");
    if (!file) return false;
    bool printed = doc.SaveFile(file);
    return std::fclose(file) == 0 && printed;
}

}  // namespace posix
