// Any bytes as an uninstall.log: the reader and the record decoders stay inside them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/UninstallLog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file(data, data + size);
    UninstallLog log;
    LogDamage damage;
    if (parseLog(log, file.data(), file.size(), &damage)) {
        for (LogRecord* r = log.last; r; r = r->prev) {
            TextBuffer text;
            std::uint32_t root = 0;
            if (r->type == LOG_REGISTRY_KEY) {
                recordRegistryKey(*r, root, text);
            } else {
                recordText(*r, text);
            }
        }
    }
    return 0;
}
