#include "platform/Registry.h"

namespace platform {

bool registryRootOf(std::uint32_t value, RegistryRoot& root) {
    switch (value) {
        case std::uint32_t(RegistryRoot::ClassesRoot):
        case std::uint32_t(RegistryRoot::CurrentUser):
        case std::uint32_t(RegistryRoot::LocalMachine):
        case std::uint32_t(RegistryRoot::Users):
            root = RegistryRoot(value);
            return true;
        default:
            return false;
    }
}

bool registryText(std::uint32_t type, const std::uint8_t* bytes, std::size_t size,
                  TextBuffer& text) {
    text[0] = 0;
    if (type != kRegSz && type != kRegExpandSz) return false;
    std::size_t units = size / 2;
    std::size_t length = 0;
    while (length < units && readU16(bytes + 2 * length) != 0) ++length;
    if (length >= kTextUnits) return false;
    for (std::size_t i = 0; i < length; ++i) text[i] = readU16(bytes + 2 * i);
    text[length] = 0;
    return true;
}

}  // namespace platform
