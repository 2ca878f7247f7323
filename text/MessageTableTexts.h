// The per-language columns behind the message table.
#pragma once

#include <cstdint>

constexpr int kLanguageTexts = 23;  // slots 1 to 23

// The column for a LANGID, chosen by exact value; every unlisted value gives English.
const char16_t* const* languageTexts(std::uint32_t langId);
