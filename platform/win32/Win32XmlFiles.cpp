#include "platform/win32/Win32XmlFiles.h"

#include <tinyxml.h>

#include <cstdio>

#include "platform/win32/Wide.h"

namespace win32 {

bool Win32XmlFiles::load(const char16_t* path, TiXmlDocument& doc) {
    std::FILE* file = _wfopen(wide(path), L"rb");
    if (!file) return false;
    bool loaded = doc.LoadFile(file);
    std::fclose(file);
    return loaded;
}

bool Win32XmlFiles::save(const char16_t* path, const TiXmlDocument& doc) {
    std::FILE* file = _wfopen(wide(path), L"w");
    if (!file) return false;
    bool printed = doc.SaveFile(file);
    return std::fclose(file) == 0 && printed;
}

}  // namespace win32
