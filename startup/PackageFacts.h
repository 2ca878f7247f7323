// What the executable's installer package says of its product before anything else is loaded:
// its name for the setup log, and its identity for the lock a silent run waits on.
#pragma once

#include <string>

#include "package/ProductIdentity.h"

constexpr int kPackageResource = 199;  // type "RES_DATA"

// The product the executable's package installs (empty when there is none): names the setup
// log before anything else is loaded.
std::u16string packageProductName();
// The same and the product's identity, before anything else is loaded; false when the
// executable carries no package that loads.
bool readPackageFacts(std::u16string& product, ProductIdentity& identity);
