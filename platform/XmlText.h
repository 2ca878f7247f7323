// A document as the bytes a save would write, and bytes read as a load reads a file, through
// the library's own SaveFile and LoadFile on a scratch stream. The only difference from a real
// file is the "\r\n" a Windows text-mode stream writes for "\n", which loading turns back.
//
// Every parse here is given a few NUL bytes after its text: in UTF-8 the library takes a lead
// byte's announced length on trust and so steps up to three bytes past the end of a text that
// stops inside a character. The padding keeps those reads inside the buffer, where they end the
// parse just as the end of the text does; the library sees nothing else of it, since it stops
// at the first NUL.
#pragma once

#include <tinyxml.h>

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

constexpr std::size_t kXmlParseSlack = 4;

// These take over `scratch` (an empty stream open for reading and writing) and close it; a null
// stream is a failure.
bool printOnStream(std::FILE* scratch, const TiXmlDocument& doc, std::string& text);
bool parseFromStream(std::FILE* scratch, const std::string& text, TiXmlDocument& doc);
// Reads `file` (opened "rb") to its end, then parses that as above.
bool loadFromStream(std::FILE* file, std::FILE* scratch, TiXmlDocument& doc);

// The same on a stream from the installed XmlFiles.
bool printXml(const TiXmlDocument& doc, std::string& text);
bool parseXml(const std::string& text, TiXmlDocument& doc);

// TiXmlDocument::Parse on text held in memory (no line-end normalisation, unlike a load).
bool parseXmlText(const std::string& text, TiXmlEncoding encoding, TiXmlDocument& doc);

}  // namespace platform
