// The product an uninstall log belongs to, as its LOG_PRODUCT_IDENTITY record says.
#pragma once

#include "engine/UninstallLog.h"
#include "package/ProductIdentity.h"

// Appends the record: the identity block of `identity`.
void appendIdentityRecord(UninstallLog& log, const ProductIdentity& identity);

// The identity the log's record names, or the demo product's when it has none (a log written
// before identities). False for a damaged record or more than one: such a log belongs to no
// product this installer can name.
bool identityOfLog(const UninstallLog& log, ProductIdentity& identity);
