// What the product's uninstaller says, in the language the product was installed in: the
// question before it removes anything, and how it went.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::u16string removalQuestion(std::uint32_t langId, std::u16string_view product);
std::u16string removalDone(std::uint32_t langId, std::u16string_view product);
std::u16string removalIncomplete(std::uint32_t langId, std::u16string_view product);
// No installation to remove where the uninstaller was started.
std::u16string removalNothingFound(std::uint32_t langId);
