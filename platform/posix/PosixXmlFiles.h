// TinyXML documents on native files, named as the posix file system names them.
#pragma once

#include "platform/XmlFiles.h"

namespace posix {

class PosixXmlFiles : public platform::XmlFiles {
public:
    bool load(const char16_t* path, TiXmlDocument& doc, const platform::XmlLimits& limits,
              std::string& refusal) override;
    bool save(const char16_t* path, const TiXmlDocument& doc) override;
    std::FILE* scratchStream() override;
};

}  // namespace posix
