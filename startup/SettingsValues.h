// The texts of the settings file and what they stand for.
#pragma once

#include <cstdint>
#include <string>

#include "common/Text.h"

// "English" 1033, "Chinese" 2052, "Italiano" 1040, "Deutsch" 1031, "Korean" 1042, spelt exactly;
// any other text gives English.
std::uint32_t languageFromName(const char* name);

// A "%d" reading: blanks, an optional sign and at least one digit; what follows is ignored.
// False when there is no number, or one that does not fit 32 bits.
bool readDecimal(const char* text, std::int32_t& value);

// A path attribute in the document's 8-bit text and back: UTF-8 for a document that declares it
// (`utf8`), the system code page otherwise. False (output unchanged) when the text has no
// faithful form or needs more than 259 bytes or units.
bool widenPath(const char* text, TextBuffer& path, bool utf8 = false);
bool narrowPath(const TextBuffer& path, std::string& text, bool utf8 = false);
