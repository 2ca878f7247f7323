// TinyXML documents kept in whatever file system is installed (normally the fake one): the
// bytes pass through an anonymous temporary stream, so the library's own LoadFile and SaveFile
// do the reading and printing, exactly as on a real file.
#pragma once

#include "platform/XmlFiles.h"

namespace fake {

class FakeXmlFiles : public platform::XmlFiles {
public:
    bool load(const char16_t* path, TiXmlDocument& doc) override;
    bool save(const char16_t* path, const TiXmlDocument& doc) override;
    // Fails as "scratchStream".
    std::FILE* scratchStream() override;
};

}  // namespace fake
