// One installation or removal of a product at a time on a machine: setup.exe and Uninstall.exe
// take the product's lock (by its identity, whatever its name or folder) before they change
// anything and hold it until they end. A run that finds it taken waits a bounded time and then
// ends with kExitAnotherRun, as deployment tools expect of an installer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "package/ProductIdentity.h"

// "TouchFrameSetup-<settings key in upper case>": the settings key is the product's identity,
// compared without regard to ASCII case.
std::u16string productLockName(const ProductIdentity& identity);

enum class ProductLockResult {
    Held,       // this run holds it now (or held it already)
    Busy,       // another installation or removal held it for the whole wait
    Unguarded,  // it could not be taken (a failed call, or a name another account made
                // first): the run goes on without it, as runs before the lock did
};

// Takes the product's lock, waiting up to `waitSeconds` for another run to end; each outcome
// that is not a plain Held is logged, a failed call with its name and its Windows error.
ProductLockResult lockProduct(const ProductIdentity& identity, std::uint32_t waitSeconds);
// Lets the lock go (the process's end does too).
void unlockProduct();
bool productLocked();
