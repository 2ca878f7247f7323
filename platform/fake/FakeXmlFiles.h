// TinyXML documents kept in whatever file system is installed (normally the fake one): read
// from the file's bytes as the real implementations read them, and printed by the library's
// own SaveFile onto an anonymous temporary stream, exactly as onto a real file.
#pragma once

#include "platform/XmlFiles.h"

namespace fake {

class FakeXmlFiles : public platform::XmlFiles {
public:
    bool load(const char16_t* path, TiXmlDocument& doc, const platform::XmlLimits& limits,
              std::string& refusal) override;
    bool save(const char16_t* path, const TiXmlDocument& doc) override;
    // Fails as "scratchStream".
    std::FILE* scratchStream() override;
};

}  // namespace fake
