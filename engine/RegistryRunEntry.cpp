#include "engine/RegistryRunEntry.h"

#include <string>

#include "engine/RegistryPaths.h"
#include "platform/Registry.h"

using platform::RegistryKey;
using platform::RegistryRoot;

bool runCommandFor(std::u16string_view programPath, TextBuffer& command) {
    std::u16string quoted;
    quoted.append(u"\"").append(programPath).append(u"\" -h");
    return copyText(command, quoted);
}

bool runValueNameOf(std::u16string_view command, TextBuffer& name) {
    if (command.size() >= kTextUnits) return false;
    std::u16string unquoted(command);
    std::size_t close = command.starts_with(u'"') ? command.find(u'"', 1) : std::u16string::npos;
    if (close != std::u16string::npos) {
        unquoted = std::u16string(command.substr(1, close - 1)).append(command.substr(close + 1));
    }
    return copyText(name, stemOf(unquoted)) && name[0] != 0;
}

bool writeRunEntry(const char16_t* command, RegistryRoot root) {
    TextBuffer name;
    if (!runValueNameOf(viewOf(command), name)) return false;
    RegistryKey key = 0;
    if (!platform::registry().openExistingKey(root, kRunKeyPath, key)) {
        return false;
    }
    bool written = platform::registry().setString(key, name, viewOf(command));
    platform::registry().closeKey(key);
    return written;
}

bool removeRunEntry(const char16_t* command, RegistryRoot root) {
    TextBuffer name;
    if (!runValueNameOf(viewOf(command), name)) return false;
    RegistryKey key = 0;
    if (!platform::registry().openExistingKey(root, kRunKeyPath, key)) {
        return false;
    }
    bool deleted = platform::registry().deleteValue(key, name);
    platform::registry().closeKey(key);
    return deleted;
}
