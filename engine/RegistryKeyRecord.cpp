#include "engine/RegistryKeyRecord.h"

#include "common/Text.h"

using platform::RegistryKey;
using platform::RegistryRoot;

std::vector<std::uint8_t> keyRecordOf(RegistryRoot root, std::u16string_view path) {
    if (path.size() >= kTextUnits) return {};
    auto number = std::uint32_t(root);
    std::vector<std::uint8_t> data{std::uint8_t(number), std::uint8_t(number >> 8),
                                   std::uint8_t(number >> 16), std::uint8_t(number >> 24)};
    for (char16_t c : path) {
        data.push_back(std::uint8_t(c & 0xFF));
        data.push_back(std::uint8_t(c >> 8));
    }
    data.insert(data.end(), {0, 0});
    return data;
}

bool removeRegistryKey(RegistryRoot root, std::u16string_view path) {
    TextBuffer parent, leaf;
    if (!copyText(parent, parentOf(path)) || !copyText(leaf, stemOf(path))) return false;
    if (leaf[0] == 0) return false;
    RegistryKey key = 0;
    if (!platform::registry().openKey(root, parent, platform::KeyAccess::AllAccess, key)) {
        return false;
    }
    bool deleted = platform::registry().deleteKey(key, leaf);
    platform::registry().closeKey(key);
    return deleted;
}

bool removeKeyRecord(const LogRecord& record) {
    std::uint32_t number = 0;
    TextBuffer path;
    RegistryRoot root;
    if (!recordRegistryKey(record, number, path) || !platform::registryRootOf(number, root)) {
        return false;
    }
    return removeRegistryKey(root, viewOf(path));
}
