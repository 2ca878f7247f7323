// TinyXML documents kept in files. The library reads and prints through a C stdio stream; each
// implementation opens that stream its own way (on Windows with _wfopen, since the library's own
// file-name calls take 8-bit names only), so what lands on disk is exactly the library's output.
#pragma once

#include <cstdio>
#include <string>

#include "platform/Platform.h"
#include "platform/XmlBounds.h"

class TiXmlDocument;

namespace platform {

class XmlFiles {
public:
    virtual ~XmlFiles() = default;
    // The bytes of the file opened "rb", read as TiXmlDocument::LoadFile reads them (with the
    // slack platform/XmlText.h explains): false when it cannot be opened or read, is empty or
    // does not parse, and false with `refusal` saying why when it is over the limits (read no
    // further than it takes to see that).
    virtual bool load(const char16_t* path, TiXmlDocument& doc, const XmlLimits& limits,
                      std::string& refusal) = 0;
    // What TiXmlDocument::SaveFile writes onto a file opened "w" (a text-mode stream on
    // Windows): the UTF-8 byte-order mark when the document was loaded with one, then the
    // library's own layout. Written through platform/XmlText.h's writeXmlText, never through a
    // link or into a file with other names. False when the file cannot be written.
    virtual bool save(const char16_t* path, const TiXmlDocument& doc) = 0;
    // An empty binary stream open for reading and writing that no other program can reach, gone
    // once closed; none when the system cannot make one. Lets a document be printed by the
    // library's own SaveFile without touching any file the caller names.
    virtual std::FILE* scratchStream() = 0;
};

inline XmlFiles& xmlFiles() {
    return *os().xml;
}

}  // namespace platform
