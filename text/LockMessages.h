// What a run says when another installation or removal of the product holds its lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The box of an interactive run that finds the product's lock taken, in its language.
std::u16string productBusyText(std::uint32_t langId, std::u16string_view product);
