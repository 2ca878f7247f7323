// TinyXML documents on Windows files opened with _wfopen, so that any file name works whatever
// the ANSI code page.
#pragma once

#include "platform/XmlFiles.h"

namespace win32 {

class Win32XmlFiles : public platform::XmlFiles {
public:
    bool load(const char16_t* path, TiXmlDocument& doc, const platform::XmlLimits& limits,
              std::string& refusal) override;
    bool save(const char16_t* path, const TiXmlDocument& doc) override;
    std::FILE* scratchStream() override;
};

}  // namespace win32
