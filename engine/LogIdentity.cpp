#include "engine/LogIdentity.h"

void appendIdentityRecord(UninstallLog& log, const ProductIdentity& identity) {
    std::vector<std::uint8_t> block = identityBlockOf(identity);
    appendRecord(log, LOG_PRODUCT_IDENTITY, block.data(), block.size());
}

bool identityOfLog(const UninstallLog& log, ProductIdentity& identity) {
    const LogRecord* found = nullptr;
    for (const LogRecord* r = log.first; r; r = r->next) {
        if (r->type != LOG_PRODUCT_IDENTITY) continue;
        if (found) return false;
        found = r;
    }
    if (!found) {
        identity = demoIdentity();
        return true;
    }
    return readIdentityBlock(found->data.data(), found->data.size(), identity);
}
