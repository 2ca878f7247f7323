// The language an installation of the product was made in, for what its uninstaller says.
#pragma once

#include <cstdint>

#include "package/ProductIdentity.h"

// The LanguageID the product's installer wrote into the product's key; English when there is
// none.
std::uint32_t installedLanguage(const ProductIdentity& identity);
