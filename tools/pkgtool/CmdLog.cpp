// pkgtool log uninstall.log: what an installation recorded, one line per record.
#include <cstdio>

#include "engine/UninstallLog.h"
#include "package/ProductIdentity.h"
#include "tools/pkgtool/Command.h"

namespace {

std::string hexOf(const std::vector<std::uint8_t>& data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : data) out += {digits[b >> 4], digits[b & 15]};
    return out;
}

std::string decoded(const LogRecord& record) {
    TextBuffer text;
    std::uint32_t root = 0;
    ProductIdentity identity;
    if (record.type == LOG_PRODUCT_IDENTITY &&
        readIdentityBlock(record.data.data(), record.data.size(), identity)) {
        return utf16ToUtf8(viewOf(identity.settingsKey)) + "\t" +
               utf16ToUtf8(viewOf(identity.dataFolder)) + "\t" +
               utf16ToUtf8(viewOf(identity.version));
    }
    if (record.type == LOG_REGISTRY_KEY && recordRegistryKey(record, root, text)) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "0x%08x\t", unsigned(root));
        return prefix + utf16ToUtf8(viewOf(text));
    }
    if (logRecordTypeName(record.type) && record.type != LOG_REGISTRY_KEY &&
        recordText(record, text)) {
        return utf16ToUtf8(viewOf(text));
    }
    return hexOf(record.data);
}

int run(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs("usage: pkgtool log uninstall.log\n", stderr);
        return 2;
    }
    std::u16string path = utf8ToUtf16(args[0]);
    UninstallLog log;
    LogDamage damage;
    if (!loadLog(log, path.c_str(), &damage)) {
        std::fprintf(stderr,
                     "cannot read a log from %s (missing, unreadable, over %zu bytes, or its "
                     "header is damaged)\n",
                     args[0].c_str(), kMaxLogBytes);
        return 1;
    }
    std::printf("root\t%s\n", utf16ToUtf8(viewOf(log.root)).c_str());
    std::printf("company\t%s\n", utf16ToUtf8(viewOf(log.company)).c_str());
    std::printf("product\t%s\n", utf16ToUtf8(viewOf(log.product)).c_str());
    for (const LogRecord* r = log.first; r; r = r->next) {
        const char* name = logRecordTypeName(r->type);
        std::string type = name ? name : "type " + std::to_string(r->type);
        std::printf("%s\t%s\n", type.c_str(), decoded(*r).c_str());
    }
    if (damage.truncated) {
        std::fprintf(stderr, "log truncated at offset %zu\n", damage.offset);
        return 1;
    }
    return 0;
}

CommandRegistration registration{"log", "log uninstall.log", run};

}  // namespace
