// Documents as text in memory: read as TiXmlDocument::LoadFile reads a file's bytes, and
// printed by the library's own SaveFile onto a scratch stream, so that what a save would write
// can be read again before anything is written.
//
// Every parse here is given a few NUL bytes after its text: in UTF-8 the library takes a lead
// byte's announced length on trust and so steps up to three bytes past the end of a text that
// stops inside a character. The padding keeps those reads inside the buffer, where they end the
// parse just as the end of the text does; the library sees nothing else of it, since it stops
// at the first NUL.
#pragma once

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/XmlBounds.h"

namespace platform {

constexpr std::size_t kXmlParseSlack = 4;

// What LoadFile does with the bytes of a file: empty bytes are refused, "\r\n" and a lone "\r"
// become "\n", the text ends at its first NUL, and the encoding is the one the text declares
// (a byte-order mark or the declaration). False when the bytes are over the limits (`refusal`
// says how; nothing is parsed) or parse into a tree nested deeper than they allow (`refusal`
// says so), or when the text does not parse (`refusal` empty; the document holds the error).
bool parseXmlFile(const std::string& bytes, TiXmlDocument& doc, const XmlLimits& limits,
                  std::string& refusal);

// TiXmlDocument::Parse on text as it stands, in the encoding given, within the limits as above.
bool parseXmlText(const std::string& text, TiXmlEncoding encoding, TiXmlDocument& doc,
                  const XmlLimits& limits, std::string& refusal);

// The bytes SaveFile writes for `doc` (the byte-order mark when it was loaded with one, then
// the library's own layout with "\n" line ends), printed onto `scratch` (an empty stream open
// for reading and writing, closed here; null is a failure).
bool printOnStream(std::FILE* scratch, const TiXmlDocument& doc, std::string& text);
// The same on a stream from the installed XmlFiles.
bool printXml(const TiXmlDocument& doc, std::string& text);

// Everything left in `stream`, but no more than `limit` bytes and one: a larger file is read
// only as far as it takes to see that.
bool readStream(std::FILE* stream, std::string& bytes, std::size_t limit = SIZE_MAX);

// Writes `text` to the file at `path` through FileSystem::writeFileBelow of the folder it lies
// in: never through a link at its name, nor into a file that has other names (a hard link), so
// that an elevated write-back reaches exactly that file. With `textMode`, every "\n" is written
// as "\r\n", as a stream opened "w" on Windows writes it.
bool writeXmlText(const char16_t* path, const std::string& text, bool textMode);

}  // namespace platform
